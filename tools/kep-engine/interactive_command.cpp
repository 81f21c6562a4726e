#include "interactive_command.h"

#include <cstdio>
#include <string>

#include "interactive_screen.h"
#include "session/engine_host.h"
#include "session/key_script.h"
#include "session/typing_session.h"
#include "terminal.h"

namespace {

void drop_last_character(std::string* text) {
  while (!text->empty()) {
    const auto byte = static_cast<unsigned char>(text->back());
    text->pop_back();
    if ((byte & 0xC0) != 0x80) break;
  }
}

// The driver's key for a terminal key; Up and Down turn pages as Page Up and Page Down do.
std::optional<kep_session::Key> driver_key(const kep_terminal::TerminalKey& key) {
  using kep_session::KeyKind;
  if (key.name.empty()) {
    if (key.text.size() != 1) return std::nullopt;  // the engine takes ASCII keys only
    return kep_session::Key{KeyKind::Character, key.text[0]};
  }
  if (key.name == "up") return kep_session::Key{KeyKind::PageUp, 0};
  if (key.name == "down") return kep_session::Key{KeyKind::PageDown, 0};
  std::string error;
  auto keys = kep_session::parse_key_script("<" + key.name + ">", &error);
  if (!keys || keys->size() != 1) return std::nullopt;
  return keys->front();
}

}  // namespace

int run_interactive() {
  std::string error;
  if (!kep_session::start_engine_host(&error)) {
    std::fprintf(stderr, "kep-engine: %s\n", error.c_str());
    return 1;
  }
  int status = 0;
  {
    auto session = kep_session::TypingSession::open(false);
    kep_terminal::RawTerminal raw;
    if (!session || !raw.active()) {
      std::fprintf(stderr, "kep-engine: %s\n", session ? "the terminal cannot be put into raw mode"
                                                       : "out of memory");
      status = 1;
    } else {
      std::printf("Type pinyin: digits or Space choose, Up/Down turn pages, Escape quits.\r\n");
      kep_terminal::Screen screen;
      std::string line;
      auto show = [](const std::string& block) {
        std::fputs(block.c_str(), stdout);
        std::fflush(stdout);
      };
      show(screen.draw(line, {}, kep_terminal::columns()));
      while (std::optional<kep_terminal::TerminalKey> typed = kep_terminal::read_key()) {
        std::optional<kep_session::Key> key = driver_key(*typed);
        if (!key) continue;
        if (key->kind == kep_session::KeyKind::Escape) break;
        const kep_session::KeyOutcome outcome = session->type(*key);
        for (const std::string& commit : outcome.commits) line += commit;
        if (outcome.passed) {
          // Keys the engine leaves alone edit the text the way an editor would.
          if (key->kind == kep_session::KeyKind::Space) line += " ";
          if (key->kind == kep_session::KeyKind::Backspace) drop_last_character(&line);
          if (key->kind == kep_session::KeyKind::Return) {
            show(screen.keep(line));
            line.clear();
          }
        }
        show(screen.draw(line, outcome, kep_terminal::columns()));
      }
      std::printf("\r\n");
    }
  }
  // The terminal is back to normal here, so the reason a save failed can be read.
  if (!kep_session::stop_engine_host(&error)) {
    std::fprintf(stderr, "kep-engine: %s\n", error.c_str());
    status = 1;
  }
  return status;
}
