#include "extra_codes_text.h"

#include <cstdint>


namespace codetable {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

void skip_blanks(std::string_view* text) {
  while (!text->empty() && is_blank(text->front())) text->remove_prefix(1);
}

// The next blank-separated field, taken off the front of `text`.
std::string_view next_field(std::string_view* text) {
  skip_blanks(text);
  std::size_t end = 0;
  while (end < text->size() && !is_blank((*text)[end])) ++end;
  const std::string_view field = text->substr(0, end);
  text->remove_prefix(end);
  return field;
}

bool is_continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// A sign and the digits after it; anything else ends the number.
std::int64_t count_value(std::string_view field) {
  std::size_t at = 0;
  bool negative = false;
  if (at < field.size() && (field[at] == '-' || field[at] == '+')) negative = field[at++] == '-';
  std::int64_t value = 0;
  for (; at < field.size() && field[at] >= '0' && field[at] <= '9'; ++at) {
    value = value * 10 + (field[at] - '0');
  }
  return negative ? -value : value;
}

}  // namespace

std::string_view CutAtCharacter(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t end = limit;
  while (end > 0 && is_continuation(text[end])) --end;
  return text.substr(0, end);
}

std::vector<ExtraCode> ParseExtraCodes(std::string_view text) {
  std::vector<ExtraCode> codes;
  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    skip_blanks(&line);
    if (line.empty() || line.front() == '#') continue;
    const std::string_view key = next_field(&line);
    const std::string_view value = next_field(&line);
    if (value.empty()) continue;
    skip_blanks(&line);
    // The count is read from its first characters only, as many as the field may have.
    std::string_view count = line.substr(0, kMaxExtraCountChars);
    codes.push_back({std::string(CutAtCharacter(key, kMaxExtraKeyBytes)),
                     std::string(CutAtCharacter(value, kMaxExtraValueBytes)), count_value(count)});
  }
  return codes;
}

std::string FormatExtraCodes(std::string_view header, const std::vector<ExtraCode>& codes) {
  std::string text(header);
  for (const ExtraCode& code : codes) {
    text += code.key + " " + code.value + " " + std::to_string(code.count) + "\n";
  }
  return text;
}

}  // namespace codetable
