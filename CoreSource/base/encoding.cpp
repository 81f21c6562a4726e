#include "base/encoding.h"

#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "base/imelog.h"
#include "platform/text.h"

using platform::text::Encoding;

namespace {

char gb_result[512];
char utf8_result[512];

std::optional<std::string_view> checked_input(const char* input, int length) {
  if (input == nullptr || length < 0) return std::nullopt;
  if (static_cast<std::size_t>(length) > IME_CONVERT_MAX_INPUT) {
    IME_ERROR("Text of %d bytes is too long to convert (at most %zu).", length,
              IME_CONVERT_MAX_INPUT);
    return std::nullopt;
  }
  return std::string_view(input, static_cast<std::size_t>(length));
}

// Each step fails with its own message, as the callers' logs tell the two cases apart.
std::optional<std::string> utf16be_to(std::string_view input, Encoding to) {
  std::optional<std::string> utf8 = platform::text::to_utf8(input, Encoding::Utf16BE);
  if (!utf8) {
    IME_ERROR("Create string object with UNICODE encoding failed!");
    return std::nullopt;
  }
  if (to == Encoding::Utf8) return utf8;
  std::optional<std::string> gb = platform::text::from_utf8(*utf8, to);
  if (!gb) IME_ERROR("Converting string object to GB18030 failed!");
  return gb;
}

// Copies `result` into `out` of `capacity` bytes. `need_terminator` demands room for the zero;
// otherwise the zero is written only when a byte is left.
bool place(const std::string& result, char* out, std::size_t capacity, bool need_terminator) {
  std::size_t needed = result.size() + (need_terminator ? 1 : 0);
  if (out == nullptr || needed > capacity) return false;
  std::memcpy(out, result.data(), result.size());
  if (result.size() < capacity) out[result.size()] = '\0';
  return true;
}

template <typename Size>
char* finish(const std::optional<std::string>& result, char* out, Size* size,
             bool need_terminator, const char* failure) {
  if (size == nullptr) return nullptr;
  std::size_t capacity = *size;
  *size = 0;
  if (!result) return nullptr;
  if (!place(*result, out, capacity, need_terminator)) {
    IME_ERROR("%s", failure);
    return nullptr;
  }
  *size = static_cast<Size>(result->size());
  return out;
}

}  // namespace

char* ime_convert_to_gb(const char* utf16be, int length) {
  std::optional<std::string_view> input = checked_input(utf16be, length);
  if (!input) return nullptr;
  std::optional<std::string> gb = utf16be_to(*input, Encoding::Gb18030);
  if (!gb) return nullptr;
  if (!place(*gb, gb_result, sizeof gb_result, true)) {
    IME_ERROR("Converting string object to GB18030 failed!");
    return nullptr;
  }
  return gb_result;
}

char* ime_convert_to_gb_2(const char* utf16be, int length, char* out, std::uint16_t* size) {
  std::optional<std::string_view> input = checked_input(utf16be, length);
  std::optional<std::string> gb;
  if (input) gb = utf16be_to(*input, Encoding::Gb18030);
  return finish(gb, out, size, false, "Converting string object to GB18030 failed!");
}

char* ime_convert_to_gb_3(const char* utf8, int length, char* out, std::uint16_t* size) {
  std::optional<std::string_view> input = checked_input(utf8, length);
  std::optional<std::string> gb;
  if (input) {
    if (!platform::text::is_valid_utf8(*input)) {
      IME_ERROR("Create string object with UTF8 encoding failed!");
    } else {
      gb = platform::text::from_utf8(*input, Encoding::Gb18030);
      if (!gb) IME_ERROR("Converting string object to GB18030 failed!");
    }
  }
  return finish(gb, out, size, false, "Converting string object to GB18030 failed!");
}

char* ime_convert_to_utf8(const char* utf16be, int length) {
  std::optional<std::string_view> input = checked_input(utf16be, length);
  if (!input) return nullptr;
  std::optional<std::string> utf8 = utf16be_to(*input, Encoding::Utf8);
  if (!utf8) return nullptr;
  if (!place(*utf8, utf8_result, sizeof utf8_result, true)) {
    IME_ERROR("Converting string object to UTF8 failed!");
    return nullptr;
  }
  return utf8_result;
}

char* ime_convert_to_utf8_2(const char* utf16be, int length, char* out, std::uint16_t* size) {
  std::optional<std::string_view> input = checked_input(utf16be, length);
  std::optional<std::string> utf8;
  if (input) utf8 = utf16be_to(*input, Encoding::Utf8);
  return finish(utf8, out, size, false, "Converting string object to UTF8 failed!");
}

char* ime_convert_to_utf8_3(const char* gb18030, int length, char* out, std::uint32_t* size) {
  std::optional<std::string_view> input = checked_input(gb18030, length);
  std::optional<std::string> utf8;
  if (input) {
    utf8 = platform::text::to_utf8(*input, Encoding::Gb18030);
    if (!utf8) IME_ERROR("Create string object with GB18030 encoding failed!");
  }
  return finish(utf8, out, size, true, "Converting string object to UTF8 encoding failed!");
}
