#include "interactive_command.h"

#include <cstdio>
#include <string>

#include "session/engine_host.h"
#include "session/outcome_text.h"
#include "session/typing_session.h"
#include "terminal.h"

namespace {

// The marked text with a bar at the caret (given in UTF-16 units).
std::string with_caret(const std::string& marked, int caret) {
  std::size_t at = 0;
  for (int units = 0; at < marked.size() && units < caret;) {
    const auto lead = static_cast<unsigned char>(marked[at]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    units += length == 4 ? 2 : 1;
    at += length;
  }
  return marked.substr(0, at) + "|" + marked.substr(std::min(at, marked.size()));
}

void drop_last_character(std::string* text) {
  while (!text->empty()) {
    const auto byte = static_cast<unsigned char>(text->back());
    text->pop_back();
    if ((byte & 0xC0) != 0x80) break;
  }
}

// Three lines redrawn in place: the text so far, the composition, the page.
class Screen {
 public:
  void draw(const std::string& line, const kep_session::KeyOutcome& outcome) {
    const int width = kep_terminal::columns() - 1;
    std::string block = drawn_ ? "\r\x1b[2A\x1b[J" : "";
    // The end of a long line is what was typed last.
    std::string text = line;
    while (!text.empty() && kep_terminal::fit_columns(text, width - 6) != text) {
      text.erase(0, 1);
      while (!text.empty() && (static_cast<unsigned char>(text[0]) & 0xC0) == 0x80) text.erase(0, 1);
    }
    block += "text: " + text + "\r\n";
    block += kep_terminal::fit_columns(
                 "marked: " + (outcome.marked.empty() ? "" : with_caret(outcome.marked, outcome.caret)),
                 width) +
             "\r\n";
    block += kep_terminal::fit_columns("page:" + kep_session::page_text(outcome), width);
    std::fputs(block.c_str(), stdout);
    std::fflush(stdout);
    drawn_ = true;
  }

  // Leaves a finished line above the block.
  void keep(const std::string& line) {
    std::string text = (drawn_ ? "\r\x1b[2A\x1b[J" : "") + std::string("text: ") + line + "\r\n";
    std::fputs(text.c_str(), stdout);
    drawn_ = false;
  }

 private:
  bool drawn_ = false;
};

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
      Screen screen;
      std::string line;
      screen.draw(line, {});
      while (std::optional<kep_session::Key> key = kep_terminal::read_key()) {
        if (key->kind == kep_session::KeyKind::Escape) break;
        const kep_session::KeyOutcome outcome = session->type(*key);
        for (const std::string& commit : outcome.commits) line += commit;
        if (outcome.passed) {
          // Keys the engine leaves alone edit the text the way an editor would.
          if (key->kind == kep_session::KeyKind::Space) line += " ";
          if (key->kind == kep_session::KeyKind::Backspace) drop_last_character(&line);
          if (key->kind == kep_session::KeyKind::Return) {
            screen.keep(line);
            line.clear();
          }
        }
        screen.draw(line, outcome);
      }
      std::printf("\r\n");
    }
  }
  kep_session::stop_engine_host();
  return status;
}
