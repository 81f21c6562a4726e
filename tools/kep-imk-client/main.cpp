// kep-imk-client: plays one application typing into the input-method server.
//
//   kep-imk-client [--connection NAME] [--app PATH] [--bundle-id ID] [--word-width 32|64]
//                  [--menu] SCRIPT
//
// Connects, creates and activates one context, plays the script (characters as typed, named
// keys such as <space> or <opt-1> in angle brackets, and the gestures <shift-tap>, <lshift>,
// <rshift>, <ctrl-tap>, <caps-on>, <caps-off>, <menu:TAG>, <activate>, <deactivate>,
// <deactivate:SOURCE> and <wait:MS>), deactivates and exits 0. A wait sends nothing for MS
// milliseconds (1 to 600000) and prints nothing of its own; what the server writes meanwhile
// is printed as it arrives. Prints one line per callback:
// "marked: TEXT sel=LOC,LEN repl=LOC,LEN underline=none|single|thick", "insert: TEXT", "query: NAME ... -> ANSWER",
// "keyboard: LAYOUT", "handled: yes|no" for each key, "flags: 0xFLAGS handled: yes|no" for each
// modifier change, "menu: TAG", "activated" and "deactivated"; with --menu, the context's menu
// after the script, one "item:" line each. Locations are printed as the application received
// them, so the "not found" value shows the word width. Exits 1 when no server answers or the
// connection fails, 2 on a usage error.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/imk/client.h"
#include "platform/imk/gesture_player.h"
#include "script_document.h"

namespace {

using platform::imk::ClientInfo;
using platform::imk::Connection;
using platform::imk::DeactivationReason;
using platform::imk::Gesture;

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int usage() {
  std::fprintf(stderr,
               "usage: kep-imk-client [--connection NAME] [--app PATH] [--bundle-id ID] "
               "[--word-width 32|64] [--menu] SCRIPT\n"
               "  SCRIPT: characters, <named-keys> and gestures; <wait:MS> takes what the "
               "input method sends for MS milliseconds (1 to 600000)\n");
  return kExitUsage;
}

int fail(const std::string& what, const Connection& connection) {
  std::fprintf(stderr, "kep-imk-client: %s failed: %s\n", what.c_str(),
               connection.error().message().c_str());
  return kExitFailed;
}

// Prints what `gesture` got: the "handled" answer of a key or a modifier change, or that the
// rest was done.
void print_played(const Gesture& gesture, bool handled, std::uint64_t flags) {
  const char* answer = handled ? "yes" : "no";
  switch (gesture.kind) {
    case Gesture::Kind::Key:
      std::printf("handled: %s\n", answer);
      break;
    case Gesture::Kind::FlagsChanged:
      std::printf("flags: 0x%llx handled: %s\n", static_cast<unsigned long long>(flags), answer);
      break;
    case Gesture::Kind::InvokeMenuItem:
      std::printf("menu: %d\n", gesture.menu_tag);
      break;
    case Gesture::Kind::Activate:
      std::printf("activated\n");
      break;
    case Gesture::Kind::Deactivate:
      std::printf("deactivated\n");
      break;
    case Gesture::Kind::Wait:
      return;
  }
  std::fflush(stdout);
}

void print_menu(const std::vector<platform::imk::MenuItem>& items) {
  for (const platform::imk::MenuItem& item : items) {
    if (item.separator) {
      std::printf("item: separator\n");
      continue;
    }
    std::printf("item: %d \"%s\" state=%d key=\"%s\" modifiers=%#llx%s\n", item.tag,
                item.title.c_str(), item.state, item.key_equivalent.c_str(),
                static_cast<unsigned long long>(item.key_modifiers),
                item.enabled ? "" : " disabled");
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string connection_name = "KEPInputConnectionName";
  ClientInfo info;
  info.bundle_identifier = "com.example.terminal";
  info.supports_unicode = true;
  info.can_override_keyboard = true;
  const char* script = nullptr;
  bool list_menu = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view option = argv[i];
    bool has_value = i + 1 < argc;
    if (option == "--connection" && has_value) {
      connection_name = argv[++i];
    } else if (option == "--app" && has_value) {
      info.application_path = argv[++i];
    } else if (option == "--bundle-id" && has_value) {
      info.bundle_identifier = argv[++i];
    } else if (option == "--word-width" && has_value) {
      std::string_view width = argv[++i];
      if (width != "32" && width != "64") return usage();
      info.word_width = width == "32" ? 32 : 64;
    } else if (option == "--menu") {
      list_menu = true;
    } else if (!option.starts_with("--") && script == nullptr) {
      script = argv[i];
    } else {
      return usage();
    }
  }
  if (script == nullptr) return usage();
  std::string error_text;
  auto gestures = platform::imk::parse_gesture_script(script, &error_text);
  if (!gestures) {
    std::fprintf(stderr, "kep-imk-client: %s\n", error_text.c_str());
    return kExitUsage;
  }

  std::error_code error;
  auto connection = Connection::connect(connection_name, info, error);
  if (!connection) {
    if (error == std::errc::connection_refused) {
      std::fprintf(stderr, "kep-imk-client: no input method serves \"%s\"\n",
                   connection_name.c_str());
    } else {
      std::fprintf(stderr, "kep-imk-client: cannot connect to \"%s\": %s\n",
                   connection_name.c_str(), error.message().c_str());
    }
    return kExitFailed;
  }
  kep_imk_client::ScriptDocument document(stdout);
  std::uint32_t context = connection->create_context(document);
  if (context == 0) {
    if (connection->error()) return fail("creating the context", *connection);
    std::fprintf(stderr, "kep-imk-client: the input method refused the context\n");
    return kExitFailed;
  }
  if (!connection->activate(context, false)) return fail("activating", *connection);
  platform::imk::GesturePlayer player(*connection, context);
  for (const Gesture& gesture : *gestures) {
    std::optional<bool> handled = player.play(gesture);
    if (!handled) return fail("playing", *connection);
    print_played(gesture, *handled, player.last_flags());
  }
  if (list_menu) {
    auto items = connection->menu(context);
    if (!items) return fail("listing the menu", *connection);
    print_menu(*items);
  }
  if (!connection->deactivate(context, DeactivationReason::FocusMoved)) {
    return fail("deactivating", *connection);
  }
  connection->destroy_context(context);
  return 0;
}
