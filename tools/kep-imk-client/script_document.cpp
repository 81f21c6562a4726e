#include "script_document.h"

#include "platform/text.h"

namespace kep_imk_client {
namespace {

using platform::imk::Range;
using platform::imk::Rect;
using platform::text::Encoding;

// Where the caret's line sits on the screen: a plausible fixed spot, since nothing is drawn.
constexpr Rect kCaretLine{100, 500, 0, 16};

std::u16string to_units(std::string_view utf8) {
  auto bytes = platform::text::from_utf8(utf8, Encoding::Utf16LE);
  std::u16string units;
  if (!bytes) return units;
  for (std::size_t i = 0; i + 1 < bytes->size(); i += 2) {
    units.push_back(static_cast<char16_t>(static_cast<unsigned char>((*bytes)[i]) |
                                          (static_cast<unsigned char>((*bytes)[i + 1]) << 8)));
  }
  return units;
}

std::optional<std::string> to_utf8(std::u16string_view units) {
  std::string bytes;
  for (char16_t unit : units) {
    bytes.push_back(static_cast<char>(unit & 0xff));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return platform::text::to_utf8(bytes, Encoding::Utf16LE);
}

std::string describe(Range range) {
  return std::to_string(range.location) + "," + std::to_string(range.length);
}

const char* describe(platform::imk::Underline underline) {
  switch (underline) {
    case platform::imk::Underline::None: return "none";
    case platform::imk::Underline::Single: return "single";
    case platform::imk::Underline::Thick: return "thick";
  }
  return "?";
}

}  // namespace

void ScriptDocument::print(const std::string& line) {
  std::fprintf(out_, "%s\n", line.c_str());
  std::fflush(out_);
}

void ScriptDocument::set_marked_text(std::string_view text, Range selection, Range replacement,
                                     platform::imk::MarkedTextStyle style) {
  print("marked: " + std::string(text) + " sel=" + describe(selection) +
        " repl=" + describe(replacement) + " underline=" + describe(style.underline));
  marked_ = to_units(text);
}

void ScriptDocument::insert_text(std::string_view text, Range replacement) {
  print("insert: " + std::string(text));
  std::u16string units = to_units(text);
  // A range inside the text is replaced; anything else (the "not found" location among them)
  // inserts at the caret, in place of the marked text.
  if (replacement.location <= text_.size() &&
      replacement.length <= text_.size() - replacement.location) {
    text_.replace(replacement.location, replacement.length, units);
    caret_ = replacement.location + units.size();
  } else {
    text_.insert(caret_, units);
    caret_ += units.size();
  }
  marked_.clear();
}

std::optional<Range> ScriptDocument::selected_range() {
  Range range{caret_, 0};
  print("query: selected_range -> " + describe(range));
  return range;
}

std::optional<std::string> ScriptDocument::substring(Range range) {
  std::optional<std::string> answer;
  if (range.location <= text_.size() && range.length <= text_.size() - range.location) {
    answer = to_utf8(std::u16string_view(text_).substr(range.location, range.length));
  }
  print("query: substring " + describe(range) + " -> " + answer.value_or("none"));
  return answer;
}

std::optional<Rect> ScriptDocument::line_rect(std::uint64_t index) {
  char rect[64];
  std::snprintf(rect, sizeof rect, "%g,%g,%g,%g", kCaretLine.x, kCaretLine.y, kCaretLine.width,
                kCaretLine.height);
  print("query: line_rect " + std::to_string(index) + " -> " + rect);
  return kCaretLine;
}

void ScriptDocument::override_keyboard(std::string_view layout) {
  print("keyboard: " + std::string(layout));
}

}  // namespace kep_imk_client
