// The editing behind text fields, text views and table cells: a UTF-8 text with a caret and a
// selection, changed by keys as a person types. Positions handed out and taken are counted in
// characters (code points); the text is never cut inside a character.
//
// Keys (KeyEvent): printable characters replace the selection; Backspace and Forward Delete;
// Left and Right (with Shift they extend the selection); Home and End (to the start or end of
// the line); Up and Down (a line up or down; on one line, to the start or the end);
// Command-A selects all. On one line, Return, Tab, Shift-Tab and Escape end the editing (the
// caller acts on the outcome); on several lines Return and Tab type themselves, Shift-Tab ends
// and Escape is left to others.
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ui/key_event.h"

namespace platform::ui {

// What a pane allows typed into a text: at most `max_characters` characters (0: no limit),
// and only characters `accepts` takes (empty: any). Text set by the program is not held to it.
struct TextLimits {
  std::size_t max_characters = 0;
  std::function<bool(char32_t character)> accepts;
};

// How an editing ended, as a text-did-end-editing notification tells it.
enum class TextMovement { Return, Tab, Backtab, Cancel, Other };

enum class EditOutcome {
  NotTaken,  // the key is not for the editor
  Done,      // taken: the text, caret or selection may have changed
  Refused,   // taken, but the limits or the text refused it; nothing changed
  Return,    // the editing ends (one line)
  Tab,
  Backtab,
  Cancel,
};

// How an outcome ends the editing; nullopt for one that does not.
std::optional<TextMovement> ending_of(EditOutcome outcome);

class TextEditor {
 public:
  explicit TextEditor(std::string text = {}, bool multi_line = false);

  const std::string& text() const { return text_; }
  // Replaces the whole text (limits not applied); the caret goes to the end. Invalid UTF-8 is
  // refused (false, nothing changed).
  bool set_text(std::string text);
  bool is_multi_line() const { return multi_line_; }
  void set_limits(TextLimits limits) { limits_ = std::move(limits); }
  const TextLimits& limits() const { return limits_; }

  // In characters.
  std::size_t length() const;
  std::size_t caret() const;
  std::size_t selection_start() const;
  std::size_t selection_length() const;
  // Selects `length` characters from `start`, both held to the text; the caret at the end.
  void select(std::size_t start, std::size_t length);
  void select_all();
  void set_caret(std::size_t position) { select(position, 0); }
  // Moves the caret to `position` keeping the other end of the selection (a Shift-click or a
  // drag).
  void extend_selection(std::size_t position);

  // Replaces the selection by `typed`; false, and nothing changed, when it is not UTF-8, holds
  // a line break on one line, or the limits refuse it.
  bool insert(std::string_view typed);
  EditOutcome handle_key(const KeyEvent& event);

  // Byte offsets of the selection's ends and the caret, on character boundaries.
  std::size_t selection_start_byte() const { return std::min(anchor_, caret_); }
  std::size_t selection_end_byte() const { return std::max(anchor_, caret_); }
  std::size_t caret_byte() const { return caret_; }
  // The byte offset of character `position` (held to the text).
  std::size_t byte_of(std::size_t position) const;

 private:
  std::size_t characters_in(std::size_t from_byte, std::size_t to_byte) const;
  std::size_t previous_boundary(std::size_t byte) const;
  std::size_t next_boundary(std::size_t byte) const;
  std::size_t line_start(std::size_t byte) const;
  std::size_t line_end(std::size_t byte) const;
  // The byte on the line above (-1) or below (+1) at the caret's column; the start or the end
  // of the text beyond the first or last line.
  std::size_t vertical_target(int direction) const;
  void move_to(std::size_t byte, bool extending);
  void erase(bool backwards);
  bool insert_allowed(std::string_view typed) const;

  std::string text_;
  bool multi_line_;
  TextLimits limits_;
  std::size_t anchor_ = 0;  // bytes; the selection runs between anchor_ and caret_
  std::size_t caret_ = 0;
};

}  // namespace platform::ui
