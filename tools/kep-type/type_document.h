// The one-line document kep-type edits: committed text, a caret and the marked text the input
// method shows at the caret. It answers the input method's queries the way a text view would,
// counting characters in UTF-16 units.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/imk/client.h"

namespace kep_type {

class TypeDocument : public platform::imk::Document {
 public:
  explicit TypeDocument(int word_width) : not_found_(platform::imk::not_found_for_width(word_width)) {}

  void set_marked_text(std::string_view text, platform::imk::Range selection,
                       platform::imk::Range replacement,
                       platform::imk::MarkedTextStyle style) override;
  void insert_text(std::string_view text, platform::imk::Range replacement) override;
  std::optional<platform::imk::Range> selected_range() override;
  std::optional<std::string> substring(platform::imk::Range range) override;
  std::optional<platform::imk::Rect> line_rect(std::uint64_t index) override;

  // What an editor does with a key the input method left alone: a character or Space is
  // typed, Backspace deletes before the caret, Left and Right move it. True when the key
  // meant something to the document.
  bool apply_key(std::string_view name, std::string_view text);
  // Ends the line (Return): the committed text is handed back and the document starts afresh.
  std::string take_line();

  const std::string& text() const { return text_; }
  std::size_t caret() const { return caret_; }  // byte offset into text()
  const std::string& marked() const { return marked_; }
  // Byte offset of the caret inside the marked text.
  std::size_t marked_caret() const { return marked_caret_; }
  // How the input method asked the marked text to be underlined.
  platform::imk::Underline marked_underline() const { return marked_underline_; }

 private:
  // Byte offset of a UTF-16 location in text(); nullopt past the end or inside a character.
  std::optional<std::size_t> byte_offset(std::uint64_t location) const;
  std::uint64_t utf16_location(std::size_t byte_offset) const;

  std::uint64_t not_found_;
  std::string text_;
  std::size_t caret_ = 0;
  std::string marked_;
  std::size_t marked_caret_ = 0;
  platform::imk::Underline marked_underline_ = platform::imk::Underline::None;
};

}  // namespace kep_type
