#include "type_document.h"

#include <algorithm>

#include "platform/text.h"

namespace kep_type {
namespace {

// A stray byte counts as one unit, so walking the text always advances.
std::size_t sequence_length(unsigned char lead) {
  return std::max<std::size_t>(1, platform::text::utf8_sequence_length(lead));
}

// Characters beyond the basic plane take two UTF-16 units.
std::uint64_t units_of(std::size_t length) { return length == 4 ? 2 : 1; }

std::size_t previous_character(const std::string& text, std::size_t at) {
  if (at == 0) return 0;
  std::size_t start = at - 1;
  while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
  return start;
}

}  // namespace

std::optional<std::size_t> TypeDocument::byte_offset(std::uint64_t location) const {
  std::size_t at = 0;
  std::uint64_t units = 0;
  while (units < location) {
    if (at >= text_.size()) return std::nullopt;
    const std::size_t length = sequence_length(static_cast<unsigned char>(text_[at]));
    units += units_of(length);
    at += length;
  }
  if (units != location || at > text_.size()) return std::nullopt;
  return at;
}

std::uint64_t TypeDocument::utf16_location(std::size_t offset) const {
  std::uint64_t units = 0;
  for (std::size_t at = 0; at < offset && at < text_.size();) {
    const std::size_t length = sequence_length(static_cast<unsigned char>(text_[at]));
    units += units_of(length);
    at += length;
  }
  return units;
}

void TypeDocument::set_marked_text(std::string_view text, platform::imk::Range selection,
                                   platform::imk::Range replacement,
                                   platform::imk::MarkedTextStyle style) {
  // A replacement range places the marked text: the input method uses it to move the caret
  // (between a pair of brackets, say).
  if (replacement.location != not_found_) {
    if (std::optional<std::size_t> start = byte_offset(replacement.location)) {
      std::optional<std::size_t> end = byte_offset(replacement.location + replacement.length);
      if (end && *end >= *start) {
        text_.erase(*start, *end - *start);
        caret_ = *start;
      }
    }
  }
  marked_ = text;
  marked_underline_ = style.underline;
  // The selection is the caret inside the marked text, in UTF-16 units.
  marked_caret_ = marked_.size();
  if (selection.location != not_found_) {
    std::size_t at = 0;
    std::uint64_t units = 0;
    while (at < marked_.size() && units < selection.location) {
      const std::size_t length = sequence_length(static_cast<unsigned char>(marked_[at]));
      units += units_of(length);
      at += length;
    }
    marked_caret_ = std::min(at, marked_.size());
  }
}

void TypeDocument::insert_text(std::string_view text, platform::imk::Range replacement) {
  if (replacement.location != not_found_) {
    std::optional<std::size_t> start = byte_offset(replacement.location);
    std::optional<std::size_t> end = byte_offset(replacement.location + replacement.length);
    if (start && end && *end >= *start) {
      text_.erase(*start, *end - *start);
      caret_ = *start;
    }
  }
  text_.insert(caret_, text);
  caret_ += text.size();
  marked_.clear();  // inserting ends the composition
  marked_caret_ = 0;
}

std::optional<platform::imk::Range> TypeDocument::selected_range() {
  return platform::imk::Range{utf16_location(caret_), 0};
}

std::optional<std::string> TypeDocument::substring(platform::imk::Range range) {
  std::optional<std::size_t> start = byte_offset(range.location);
  std::optional<std::size_t> end = byte_offset(range.location + range.length);
  if (!start || !end || *end < *start) return std::nullopt;
  return text_.substr(*start, *end - *start);
}

std::optional<platform::imk::Rect> TypeDocument::line_rect(std::uint64_t /*index*/) {
  // A terminal has no screen position to tell: a fixed line near the top left, moved along
  // with the caret the way a text view's caret line moves.
  const double column = static_cast<double>(utf16_location(caret_));
  return platform::imk::Rect{100 + 8 * column, 700, 1, 16};
}

bool TypeDocument::apply_key(std::string_view name, std::string_view text) {
  if (name.empty() || name == "space") {
    const std::string typed = name.empty() ? std::string(text) : std::string(" ");
    text_.insert(caret_, typed);
    caret_ += typed.size();
    return true;
  }
  if (name == "bs") {
    const std::size_t start = previous_character(text_, caret_);
    text_.erase(start, caret_ - start);
    caret_ = start;
    return true;
  }
  if (name == "left") {
    caret_ = previous_character(text_, caret_);
    return true;
  }
  if (name == "right") {
    if (caret_ < text_.size()) caret_ += sequence_length(static_cast<unsigned char>(text_[caret_]));
    if (caret_ > text_.size()) caret_ = text_.size();
    return true;
  }
  if (name == "home") {
    caret_ = 0;
    return true;
  }
  if (name == "end") {
    caret_ = text_.size();
    return true;
  }
  return false;
}

std::string TypeDocument::take_line() {
  std::string line = std::move(text_);
  text_.clear();
  caret_ = 0;
  marked_.clear();
  return line;
}

}  // namespace kep_type
