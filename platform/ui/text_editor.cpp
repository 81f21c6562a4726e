#include "platform/ui/text_editor.h"

#include <algorithm>

#include "platform/text.h"

namespace platform::ui {
namespace {

bool is_continuation(unsigned char byte) { return (byte & 0xc0) == 0x80; }

// The character at the start of `utf8` (valid UTF-8, not empty).
char32_t first_character(std::string_view utf8) {
  const auto lead = static_cast<unsigned char>(utf8[0]);
  const std::size_t length = text::utf8_sequence_length(lead);
  if (length <= 1) return lead;
  char32_t value = lead & (0xff >> (length + 1));
  for (std::size_t i = 1; i < length; ++i) {
    value = (value << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3f);
  }
  return value;
}

// Characters a key types that are text, not control: the function keys' private-use
// characters (U+F700 to U+F8FF) and the C0 controls are not typed into a text.
bool is_typed_text(std::string_view characters) {
  for (std::size_t at = 0; at < characters.size();) {
    const char32_t c = first_character(characters.substr(at));
    if (c < 0x20 || c == 0x7f || (c >= 0xf700 && c <= 0xf8ff)) return false;
    at += text::utf8_sequence_length(static_cast<unsigned char>(characters[at]));
  }
  return !characters.empty();
}

}  // namespace

std::optional<TextMovement> ending_of(EditOutcome outcome) {
  switch (outcome) {
    case EditOutcome::Return: return TextMovement::Return;
    case EditOutcome::Tab: return TextMovement::Tab;
    case EditOutcome::Backtab: return TextMovement::Backtab;
    case EditOutcome::Cancel: return TextMovement::Cancel;
    case EditOutcome::NotTaken:
    case EditOutcome::Done:
    case EditOutcome::Refused:
      break;
  }
  return std::nullopt;
}

TextEditor::TextEditor(std::string text, bool multi_line) : multi_line_(multi_line) {
  if (!set_text(std::move(text))) set_text({});
}

bool TextEditor::set_text(std::string text) {
  if (!text::is_valid_utf8(text)) return false;
  text_ = std::move(text);
  anchor_ = caret_ = text_.size();
  return true;
}

std::size_t TextEditor::characters_in(std::size_t from_byte, std::size_t to_byte) const {
  std::size_t count = 0;
  for (std::size_t at = from_byte; at < to_byte; ++at) {
    if (!is_continuation(static_cast<unsigned char>(text_[at]))) ++count;
  }
  return count;
}

std::size_t TextEditor::length() const { return characters_in(0, text_.size()); }
std::size_t TextEditor::caret() const { return characters_in(0, caret_); }
std::size_t TextEditor::selection_start() const {
  return characters_in(0, selection_start_byte());
}
std::size_t TextEditor::selection_length() const {
  return characters_in(selection_start_byte(), selection_end_byte());
}

std::size_t TextEditor::byte_of(std::size_t position) const {
  std::size_t at = 0;
  for (; position > 0 && at < text_.size(); --position) at = next_boundary(at);
  return at;
}

void TextEditor::select(std::size_t start, std::size_t length) {
  anchor_ = byte_of(start);
  caret_ = byte_of(start + std::min(length, this->length()));
}

void TextEditor::select_all() {
  anchor_ = 0;
  caret_ = text_.size();
}

void TextEditor::extend_selection(std::size_t position) { caret_ = byte_of(position); }

std::size_t TextEditor::previous_boundary(std::size_t byte) const {
  if (byte == 0) return 0;
  --byte;
  while (byte > 0 && is_continuation(static_cast<unsigned char>(text_[byte]))) --byte;
  return byte;
}

std::size_t TextEditor::next_boundary(std::size_t byte) const {
  if (byte >= text_.size()) return text_.size();
  ++byte;
  while (byte < text_.size() && is_continuation(static_cast<unsigned char>(text_[byte]))) ++byte;
  return byte;
}

std::size_t TextEditor::line_start(std::size_t byte) const {
  if (!multi_line_) return 0;
  const std::size_t newline = byte == 0 ? std::string::npos : text_.rfind('\n', byte - 1);
  return newline == std::string::npos ? 0 : newline + 1;
}

std::size_t TextEditor::line_end(std::size_t byte) const {
  if (!multi_line_) return text_.size();
  const std::size_t newline = text_.find('\n', byte);
  return newline == std::string::npos ? text_.size() : newline;
}

std::size_t TextEditor::vertical_target(int direction) const {
  const std::size_t start = line_start(caret_);
  if (direction < 0 && start == 0) return 0;
  const std::size_t end = line_end(caret_);
  if (direction > 0 && end == text_.size()) return text_.size();
  const std::size_t column = characters_in(start, caret_);
  std::size_t target = direction < 0 ? line_start(start - 1) : end + 1;
  const std::size_t target_end = line_end(target);
  for (std::size_t i = 0; i < column && target < target_end; ++i) target = next_boundary(target);
  return target;
}

void TextEditor::move_to(std::size_t byte, bool extending) {
  caret_ = byte;
  if (!extending) anchor_ = byte;
}

bool TextEditor::insert_allowed(std::string_view typed) const {
  if (!text::is_valid_utf8(typed)) return false;
  if (!multi_line_ && typed.find_first_of("\r\n") != std::string_view::npos) return false;
  std::size_t added = 0;
  for (std::size_t at = 0; at < typed.size();
       at += text::utf8_sequence_length(static_cast<unsigned char>(typed[at]))) {
    ++added;
    if (limits_.accepts && !limits_.accepts(first_character(typed.substr(at)))) return false;
  }
  if (limits_.max_characters == 0) return true;
  const std::size_t kept = length() - selection_length();
  return kept + added <= limits_.max_characters;
}

bool TextEditor::insert(std::string_view typed) {
  if (!insert_allowed(typed)) return false;
  const std::size_t start = selection_start_byte();
  text_.replace(start, selection_end_byte() - start, typed);
  anchor_ = caret_ = start + typed.size();
  return true;
}

void TextEditor::erase(bool backwards) {
  std::size_t start = selection_start_byte();
  std::size_t end = selection_end_byte();
  if (start == end) {
    if (backwards) {
      start = previous_boundary(start);
    } else {
      end = next_boundary(end);
    }
  }
  text_.erase(start, end - start);
  anchor_ = caret_ = start;
}

EditOutcome TextEditor::handle_key(const KeyEvent& event) {
  const std::uint64_t flags = event.modifier_flags;
  const bool shift = (flags & imk::kShiftFlag) != 0;
  const bool command = (flags & imk::kCommandFlag) != 0;
  if (command) {
    if (event.key_code != 0 && event.characters != "a" && event.characters != "A") {
      return EditOutcome::NotTaken;
    }
    select_all();
    return EditOutcome::Done;
  }
  const bool collapsing = !shift && anchor_ != caret_;
  switch (event.key_code) {
    case imk::kKeyReturn:
    case imk::kKeyKeypadEnter:
      if (!multi_line_) return EditOutcome::Return;
      return insert("\n") ? EditOutcome::Done : EditOutcome::Refused;
    case imk::kKeyTab:
      if (shift) return EditOutcome::Backtab;
      if (!multi_line_) return EditOutcome::Tab;
      return insert("\t") ? EditOutcome::Done : EditOutcome::Refused;
    case imk::kKeyEscape:
      return multi_line_ ? EditOutcome::NotTaken : EditOutcome::Cancel;
    case imk::kKeyDelete:
    case imk::kKeyForwardDelete:
      erase(event.key_code == imk::kKeyDelete);
      return EditOutcome::Done;
    case imk::kKeyLeft:
      move_to(collapsing ? selection_start_byte() : previous_boundary(caret_), shift);
      return EditOutcome::Done;
    case imk::kKeyRight:
      move_to(collapsing ? selection_end_byte() : next_boundary(caret_), shift);
      return EditOutcome::Done;
    case imk::kKeyHome:
      move_to(line_start(caret_), shift);
      return EditOutcome::Done;
    case imk::kKeyEnd:
      move_to(line_end(caret_), shift);
      return EditOutcome::Done;
    case imk::kKeyUp:
      move_to(vertical_target(-1), shift);
      return EditOutcome::Done;
    case imk::kKeyDown:
      move_to(vertical_target(1), shift);
      return EditOutcome::Done;
    default:
      break;
  }
  if ((flags & imk::kControlFlag) != 0 || !is_typed_text(event.characters)) {
    return EditOutcome::NotTaken;
  }
  return insert(event.characters) ? EditOutcome::Done : EditOutcome::Refused;
}

}  // namespace platform::ui
