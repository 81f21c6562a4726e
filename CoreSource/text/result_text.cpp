#include "text/result_text.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "platform/text.h"

namespace {

// Bytes of text a field holds besides its NUL.
constexpr std::size_t kFieldTextMax = IME_TEXT_BYTES - 1;

}  // namespace

int ime_text_field_append(std::uint8_t (&field)[IME_TEXT_BYTES], std::uint8_t* length,
                          std::string_view utf8) {
  std::size_t held = std::min<std::size_t>(length != nullptr ? *length : 0, kFieldTextMax);
  std::string_view kept = platform::text::utf8_prefix(utf8, kFieldTextMax - held);
  std::memcpy(field + held, kept.data(), kept.size());
  held += kept.size();
  field[held] = '\0';
  if (length != nullptr) *length = static_cast<std::uint8_t>(held);
  return kept.size() == utf8.size() ? 0 : 1;
}

int ime_text_field_set(std::uint8_t (&field)[IME_TEXT_BYTES], std::uint8_t* length,
                       std::string_view utf8) {
  std::uint8_t empty = 0;
  int result = ime_text_field_append(field, &empty, utf8);
  if (length != nullptr) *length = empty;
  return result;
}

bool ime_sentence_text_from_gbk(std::string_view gbk, std::uint8_t (&field)[IME_TEXT_BYTES],
                                std::uint8_t* length) {
  std::optional<std::string> utf8 =
      platform::text::to_utf8(gbk, platform::text::Encoding::Gb18030);
  if (!utf8) return false;
  ime_text_field_set(field, length, *utf8);
  return true;
}
