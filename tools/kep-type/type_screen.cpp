#include "type_screen.h"

#include "terminal.h"

namespace kep_type {
namespace {

// Back to the start of the block and clear it.
constexpr std::string_view kOverDrawn = "\r\x1b[2A\x1b[J";

struct Emphasis {
  std::string_view on;
  std::string_view off;
};

// The marked text as the input method asked: a thick underline is drawn bold and underlined,
// which every terminal shows.
Emphasis emphasis_of(platform::imk::Underline underline) {
  switch (underline) {
    case platform::imk::Underline::Single: return {"\x1b[4m", "\x1b[24m"};
    case platform::imk::Underline::Thick: return {"\x1b[1;4m", "\x1b[22;24m"};
    case platform::imk::Underline::None: break;
  }
  return {"", ""};
}

std::string document_line(const TypeDocument& document, int width) {
  const std::string& text = document.text();
  const std::string& marked = document.marked();
  const std::string before = text.substr(0, document.caret());
  const std::string after = text.substr(document.caret());
  // The caret and what was typed last stay in view; the rest is cut at the edges.
  const int marked_room = width / 2;
  const std::string shown_marked = kep_terminal::fit_columns(marked, marked_room);
  const int left_room = (width - marked_room) / 2;
  std::string line = "> ";
  line += kep_terminal::last_columns(before, left_room);
  if (!marked.empty()) {
    const std::size_t caret = std::min(document.marked_caret(), shown_marked.size());
    const Emphasis emphasis = emphasis_of(document.marked_underline());
    line += emphasis.on;
    line += shown_marked.substr(0, caret);
    line += emphasis.off;
    line += "|";
    line += emphasis.on;
    line += shown_marked.substr(caret);
    line += emphasis.off;
  } else {
    line += "|";
  }
  line += kep_terminal::fit_columns(after, width - left_room - marked_room - 4);
  return line;
}

}  // namespace

std::string candidates_line(const CandidateStrip& strip) {
  if (!strip.visible() || strip.candidates().empty()) return "";
  std::string line;
  int number = 1;
  for (const std::string& candidate : strip.candidates()) {
    if (!line.empty()) line += ' ';
    line += std::to_string(number++) + "." + candidate;
  }
  if (strip.total_pages() > 1) {
    line += " (" + std::to_string(strip.page()) + "/" + std::to_string(strip.total_pages()) + ")";
  }
  return line;
}

std::string modes_line(const InputModes& modes) {
  if (!modes.known) return "";
  std::string line = modes.english ? "英" : "中";
  line += modes.full_width_punct ? " | 全角标点" : " | 半角标点";
  if (modes.full_width_roman) line += " | 全角字母";
  line += modes.traditional ? " | 繁体" : " | 简体";
  line += modes.pinyin ? " | 全拼" : " | 双拼";
  return line;
}

std::string keyboard_note(bool caps_lock, const std::optional<std::string>& menu_tag) {
  std::string note = caps_lock ? "Caps Lock" : "";
  if (menu_tag) note += (note.empty() ? "menu item " : "  menu item ") + *menu_tag + "_";
  return note;
}

std::string TypeScreen::draw(const ScreenState& state, int columns) {
  const int width = columns - 1;
  std::string block(drawn_ ? kOverDrawn : "");
  block += document_line(*state.document, width);
  block += "\r\n";
  if (!state.window_program_serves) {
    block += kep_terminal::fit_columns(candidates_line(*state.strip), width);
  } else if (state.window_page != nullptr) {
    block += kep_terminal::fit_columns(window_page_line(*state.window_page), width);
  } else {
    block += "(the candidate window shows the candidates)";
  }
  block += "\r\n";
  std::string status = modes_line(state.strip->modes());
  if (!state.strip->notice().empty()) status += "  " + state.strip->notice();
  const std::string keyboard = keyboard_note(state.caps_lock, state.menu_tag);
  if (!keyboard.empty()) status += (status.empty() ? "" : "  ") + keyboard;
  if (status.empty()) status = "Escape with nothing typed quits.";
  block += kep_terminal::fit_columns(status, width);
  drawn_ = true;
  return block;
}

std::string TypeScreen::keep(const std::string& line) {
  std::string text(drawn_ ? kOverDrawn : "");
  text += "> " + line + "\r\n";
  drawn_ = false;
  return text;
}

}  // namespace kep_type
