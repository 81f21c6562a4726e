#include "scel_text.h"

#include <cstring>

#include "platform/text.h"
#include "scel_format.h"

namespace scel {

namespace {

namespace text = platform::text;

std::size_t unit_at(std::string_view utf16le, std::size_t unit) {
  return static_cast<unsigned char>(utf16le[2 * unit]) |
         (static_cast<std::size_t>(static_cast<unsigned char>(utf16le[2 * unit + 1])) << 8);
}

// Byte length of the GB18030 character starting at `at` (1, 2 or 4), 0 when cut off.
std::size_t gb18030_character_length(std::string_view gb, std::size_t at) {
  auto lead = static_cast<unsigned char>(gb[at]);
  if (lead < 0x80) return 1;
  if (at + 1 >= gb.size()) return 0;
  auto second = static_cast<unsigned char>(gb[at + 1]);
  std::size_t length = (second >= 0x30 && second <= 0x39) ? 4 : 2;
  return at + length <= gb.size() ? length : 0;
}

int copy_out(std::string_view bytes, char* buffer) {
  if (bytes.empty()) return -1;
  std::memcpy(buffer, bytes.data(), bytes.size());
  return static_cast<int>(bytes.size());
}

}  // namespace

std::optional<std::string> header_text(std::string_view field) {
  const std::size_t units = field.size() / 2;
  std::size_t end = units;
  for (std::size_t i = 0; i < units; ++i) {
    if (unit_at(field, i) == 0 && (i + 1 == units || unit_at(field, i + 1) == 0)) {
      end = i;
      break;
    }
  }
  if (end == 0) return std::string();
  return text::to_utf8(field.substr(0, 2 * end), text::Encoding::Utf16LE);
}

std::vector<std::string> split_samples(std::string_view samples) {
  std::vector<std::string> pieces;
  const std::string_view separator(kSampleSeparator);
  std::size_t start = 0;
  while (start <= samples.size()) {
    std::size_t end = samples.find(separator, start);
    if (end == std::string_view::npos) end = samples.size();
    if (end > start) pieces.emplace_back(samples.substr(start, end - start));
    start = end + separator.size();
  }
  return pieces;
}

bool has_word_list_separator(std::string_view utf16le) {
  for (std::size_t i = 0; i < utf16le.size() / 2; ++i) {
    switch (unit_at(utf16le, i)) {
      case 0x00:
      case '\t':
      case '\n':
      case '\r':
      case ' ':
        return true;
      default:
        break;
    }
  }
  return false;
}

int GetUTF8(std::string_view utf8, char* buffer, std::size_t size) {
  if (!text::is_valid_utf8(utf8)) return -1;
  return copy_out(text::utf8_prefix(utf8, size), buffer);
}

int GetGB(std::string_view utf8, char* buffer, std::size_t size) {
  std::optional<std::string> gb = text::from_utf8(utf8, text::Encoding::Gb18030);
  if (!gb) return -1;
  std::size_t fits = 0;
  while (fits < gb->size()) {
    std::size_t length = gb18030_character_length(*gb, fits);
    if (length == 0 || fits + length > size) break;
    fits += length;
  }
  return copy_out(std::string_view(*gb).substr(0, fits), buffer);
}

}  // namespace scel
