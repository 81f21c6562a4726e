// kep-imk-client: plays one application typing into the input-method server.
//
//   kep-imk-client [--connection NAME] [--app PATH] [--bundle-id ID] [--word-width 32|64] KEYS
//
// Connects, creates and activates one context, sends each key of the script (characters as
// typed, named keys such as <space> or <opt-1> in angle brackets), deactivates and exits 0.
// Prints one line per callback: "marked: TEXT sel=LOC,LEN repl=LOC,LEN", "insert: TEXT",
// "query: NAME ... -> ANSWER", "keyboard: LAYOUT", and "handled: yes|no" for each key.
// Locations are printed as the application received them, so the "not found" value shows the
// word width. Exits 1 when no server answers or the connection fails, 2 on a usage error.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/imk/client.h"
#include "script_document.h"

namespace {

using platform::imk::ClientInfo;
using platform::imk::Connection;
using platform::imk::DeactivationReason;

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int usage() {
  std::fprintf(stderr,
               "usage: kep-imk-client [--connection NAME] [--app PATH] [--bundle-id ID] "
               "[--word-width 32|64] KEYS\n");
  return kExitUsage;
}

int fail(const std::string& what, const Connection& connection) {
  std::fprintf(stderr, "kep-imk-client: %s failed: %s\n", what.c_str(),
               connection.error().message().c_str());
  return kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  std::string connection_name = "KEPInputConnectionName";
  ClientInfo info;
  info.bundle_identifier = "com.example.terminal";
  info.supports_unicode = true;
  info.can_override_keyboard = true;
  const char* script = nullptr;
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
    } else if (!option.starts_with("--") && script == nullptr) {
      script = argv[i];
    } else {
      return usage();
    }
  }
  if (script == nullptr) return usage();
  std::string error_text;
  auto keys = platform::imk::parse_key_script(script, &error_text);
  if (!keys) {
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
  for (const platform::imk::KeyStroke& key : *keys) {
    auto handled = connection->key_down(context, key);
    if (!handled) return fail("sending a key", *connection);
    std::printf("handled: %s\n", *handled ? "yes" : "no");
    std::fflush(stdout);
  }
  if (!connection->deactivate(context, DeactivationReason::FocusMoved)) {
    return fail("deactivating", *connection);
  }
  connection->destroy_context(context);
  return 0;
}
