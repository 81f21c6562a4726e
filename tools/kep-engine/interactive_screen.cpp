#include "interactive_screen.h"

#include "session/outcome_text.h"
#include "terminal.h"

namespace kep_terminal {
namespace {

// Back to the start of the block and clear it.
constexpr std::string_view kOverDrawn = "\r\x1b[2A\x1b[J";

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

}  // namespace

std::string Screen::draw(std::string_view line, const kep_session::KeyOutcome& outcome,
                         int columns) {
  const int width = columns - 1;
  std::string block(drawn_ ? kOverDrawn : "");
  // The end of a long line is what was typed last.
  block += "text: ";
  block += last_columns(line, width - 6);
  block += "\r\n";
  block += fit_columns(
               "marked: " + (outcome.marked.empty() ? "" : with_caret(outcome.marked, outcome.caret)),
               width) +
           "\r\n";
  block += fit_columns("page:" + kep_session::page_text(outcome), width);
  drawn_ = true;
  return block;
}

std::string Screen::keep(std::string_view line) {
  std::string text(drawn_ ? kOverDrawn : "");
  text += "text: ";
  text += line;
  text += "\r\n";
  drawn_ = false;
  return text;
}

}  // namespace kep_terminal
