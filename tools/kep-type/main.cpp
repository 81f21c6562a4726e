// kep-type: a terminal that types through the input-method server as an application would.
// It shows the document with the marked text and the caret, the candidates (serving the
// candidate window's port itself while no candidate window program does; else the labels that
// program's window shows) and the modes.
//
//   kep-type [--connection NAME] [--app PATH] [--bundle-id ID] [--word-width 32|64]
//
// A terminal sends no lone modifier presses, so F2 stands for Shift pressed alone, F3 for
// Control alone, F4 for the Caps Lock key, and Ctrl-T, a tag and Return for the input menu's item.
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "candidate_strip.h"
#include "gesture_keys.h"
#include "platform/imk/gesture_player.h"
#include "platform/imk/client.h"
#include "platform/ports.h"
#include "platform/runloop.h"
#include "platform/ui/window.h"
#include "terminal.h"
#include "type_document.h"
#include "type_screen.h"
#include "window_page.h"

namespace {

constexpr const char* kDefaultConnection = "KEPInputConnectionName";
constexpr const char* kServerBundle = "com.corvana.inputmethod.IMKKEP";
constexpr const char* kCandidateWindowPort = "IMKKEPCANDIDATEWINDOW_RECEIVER";
constexpr std::chrono::milliseconds kWindowPagePoll{100};

struct Options {
  std::string connection = kDefaultConnection;
  platform::imk::ClientInfo client;
};

constexpr const char kUsage[] =
    "usage: kep-type [--connection NAME] [--app PATH] [--bundle-id ID] [--word-width 32|64]\n";

int usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

int help() {
  std::printf("%sType pinyin; Escape with nothing typed quits.\nKeys: %s.\n", kUsage,
              kep_type::kGestureKeysHelp);
  return 0;
}

bool parse_options(int argc, char** argv, Options& options) {
  options.client.application_path = "/usr/bin/kep-type";
  options.client.bundle_identifier = "com.corvana.kep-type";
  options.client.supports_unicode = true;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (i + 1 >= argc) return false;
    const std::string value = argv[++i];
    if (option == "--connection") {
      options.connection = value;
    } else if (option == "--app") {
      options.client.application_path = value;
    } else if (option == "--bundle-id") {
      options.client.bundle_identifier = value;
    } else if (option == "--word-width" && (value == "32" || value == "64")) {
      options.client.word_width = std::stoi(value);
    } else {
      return false;
    }
  }
  return true;
}

// The key a terminal key stands for; characters outside ASCII go as typed, with no key code.
platform::imk::KeyStroke stroke_for(const kep_terminal::TerminalKey& key) {
  if (!key.name.empty()) {
    if (auto stroke = platform::imk::key_named(key.name)) return *stroke;
  } else if (key.text.size() == 1) {
    if (auto stroke = platform::imk::key_for_character(key.text[0])) return *stroke;
  }
  return platform::imk::KeyStroke{key.text, 0, 0};
}

void show(const std::string& bytes) {
  std::fputs(bytes.c_str(), stdout);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) return help();
  if (!parse_options(argc, argv, options)) return usage();
  if (!kep_terminal::is_interactive()) {
    std::fprintf(stderr, "kep-type: needs a terminal to type into\n");
    return 1;
  }

  platform::RunLoop loop;
  kep_type::TypeDocument document(options.client.word_width);
  kep_type::CandidateStrip strip;
  kep_type::TypeScreen screen;
  kep_type::ScreenState state;
  state.document = &document;
  state.strip = &strip;
  auto redraw = [&] { show(screen.draw(state, kep_terminal::columns())); };

  // Show the candidates here unless a candidate window program already does.
  std::error_code port_error;
  auto candidate_port = platform::ports::LocalPort::create(
      kCandidateWindowPort,
      [&](std::int32_t id, std::string_view payload) -> std::optional<std::string> {
        strip.apply(id, payload);
        redraw();
        return std::nullopt;
      },
      loop, port_error);
  if (!candidate_port) {
    if (port_error != std::errc::address_in_use) {
      std::fprintf(stderr, "kep-type: cannot serve %s: %s\n", kCandidateWindowPort,
                   port_error.message().c_str());
      return 1;
    }
    state.window_program_serves = true;
  }
  // The window program draws after the key's answer: its state is looked at a few times a
  // second and the line redrawn when its window wrote a new one.
  std::optional<kep_type::WindowPage> window_page;
  if (state.window_program_serves) {
    std::error_code render_error;
    if (auto render_folder = platform::ui::render_directory(render_error)) {
      loop.add_timer(
          kWindowPagePoll,
          [&, folder = *render_folder] {
            std::optional<kep_type::WindowPage> page = kep_type::read_window_page(folder);
            if (!page || (window_page && window_page->sequence == page->sequence)) return;
            window_page = std::move(page);
            state.window_page = &*window_page;
            redraw();
          },
          kWindowPagePoll);
    }
  }

  std::error_code error;
  platform::imk::Connection::Options connect_options;
  connect_options.start_server = true;
  connect_options.server_bundle_identifier = kServerBundle;
  auto connection =
      platform::imk::Connection::connect(options.connection, options.client, connect_options, error);
  if (!connection) {
    std::fprintf(stderr, "kep-type: cannot reach the input-method server \"%s\": %s\n",
                 options.connection.c_str(), error.message().c_str());
    return 1;
  }
  const std::uint32_t context = connection->create_context(document);
  if (context == 0 || !connection->activate(context, false)) {
    std::fprintf(stderr, "kep-type: the input-method server refused the terminal: %s\n",
                 connection->error().message().c_str());
    return 1;
  }

  kep_type::GestureKeys gesture_keys;
  platform::imk::GesturePlayer player(*connection, context);
  int status = 0;
  {
    kep_terminal::RawTerminal raw;
    if (!raw.active()) {
      std::fprintf(stderr, "kep-type: the terminal cannot be put into raw mode\n");
      return 1;
    }
    show(std::string("Type pinyin; Escape with nothing typed quits. ") +
         kep_type::kGestureKeysHelp + ".\r\n");
    redraw();
    loop.add_fd(STDIN_FILENO, POLLIN, [&](short) {
      std::optional<kep_terminal::TerminalKey> key = kep_terminal::read_key();
      if (!key) {
        loop.stop();
        return;
      }
      if (key->name == "esc" && document.marked().empty()) {
        loop.stop();
        return;
      }
      std::optional<bool> handled;
      if (auto gestures = gesture_keys.take(*key)) {
        // A gesture never edits the document, whatever the server answers.
        handled = true;
        for (const platform::imk::Gesture& gesture : *gestures) {
          if (!player.play(gesture)) handled.reset();
          if (!handled) break;
        }
      } else {
        platform::imk::Gesture typed;
        typed.key = stroke_for(*key);
        handled = player.play(typed);
      }
      state.caps_lock = player.caps_lock();
      state.menu_tag = gesture_keys.menu_tag();
      if (!handled) {
        show("\r\nkep-type: the input-method server went away: " +
             connection->error().message() + "\r\n");
        status = 1;
        loop.stop();
        return;
      }
      if (!*handled) {
        if (key->name == "ret") {
          show(screen.keep(document.take_line()));
        } else {
          document.apply_key(key->name, key->text);
        }
      }
      redraw();
    });
    loop.run();
    show("\r\n");
  }
  connection->deactivate(context, platform::imk::DeactivationReason::FocusMoved);
  connection->destroy_context(context);
  return status;
}
