// The three lines kep-type redraws in place: the document with the marked text underlined as
// the input method asked and the caret, the candidates of the page, and the modes.
#pragma once

#include <optional>
#include <string>

#include "candidate_strip.h"
#include "type_document.h"
#include "window_page.h"

namespace kep_type {

struct ScreenState {
  const TypeDocument* document = nullptr;
  const CandidateStrip* strip = nullptr;
  // Another program shows the candidates; kep-type repeats what its window last showed
  // (window_page, when it has written one) or only says so.
  bool window_program_serves = false;
  const WindowPage* window_page = nullptr;
  bool caps_lock = false;
  // The menu item tag being typed after Ctrl-T.
  std::optional<std::string> menu_tag;
};

class TypeScreen {
 public:
  // The bytes that replace the block drawn before (if any) on a terminal `columns` wide.
  std::string draw(const ScreenState& state, int columns);
  // The bytes that leave a finished line above where the next block starts.
  std::string keep(const std::string& line);

 private:
  bool drawn_ = false;
};

// The line of candidates: "1.你好 2.你 ... (1/3)".
std::string candidates_line(const CandidateStrip& strip);
// The line of modes: "中 | 全角标点 | 简体 | 全拼".
std::string modes_line(const InputModes& modes);
// What the keyboard adds to the modes: "Caps Lock" while it is on, and the menu item tag being
// typed ("menu item 10_").
std::string keyboard_note(bool caps_lock, const std::optional<std::string>& menu_tag);

}  // namespace kep_type
