#include "tools/datasources/readers/utf8.h"

#include <charconv>

#include "platform/text.h"

namespace datasources {

std::string utf8_of(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
  return out;
}

std::optional<std::vector<char32_t>> code_points_of(std::string_view utf8) {
  if (!platform::text::is_valid_utf8(utf8)) return std::nullopt;
  std::vector<char32_t> points;
  std::size_t i = 0;
  while (i < utf8.size()) {
    auto lead = static_cast<unsigned char>(utf8[i]);
    std::size_t length = platform::text::utf8_sequence_length(lead);
    if (length == 0 || i + length > utf8.size()) return std::nullopt;
    char32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    points.push_back(c);
    i += length;
  }
  return points;
}

std::optional<char32_t> parse_code_point(std::string_view text) {
  if (!text.starts_with("U+") || text.size() < 6 || text.size() > 8) return std::nullopt;
  unsigned value = 0;
  auto [end, error] = std::from_chars(text.data() + 2, text.data() + text.size(), value, 16);
  if (error != std::errc() || end != text.data() + text.size() || value > 0x10FFFF) return std::nullopt;
  return static_cast<char32_t>(value);
}

std::optional<std::vector<std::string>> characters_of(std::string_view utf8) {
  std::optional<std::vector<char32_t>> points = code_points_of(utf8);
  if (!points) return std::nullopt;
  std::vector<std::string> chars;
  for (char32_t p : *points) chars.push_back(utf8_of(p));
  return chars;
}

}  // namespace datasources
