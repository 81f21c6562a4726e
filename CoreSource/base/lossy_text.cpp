#include "base/lossy_text.h"

#include <cstring>
#include <optional>
#include <string>

namespace {

// Bytes of the character starting at `at`; a stray or truncated byte counts as one.
std::size_t character_length(std::string_view utf8, std::size_t at) {
  std::size_t length = platform::text::utf8_sequence_length(static_cast<unsigned char>(utf8[at]));
  return length == 0 || at + length > utf8.size() ? 1 : length;
}

}  // namespace

int ime_get_string(std::string_view utf8, platform::text::Encoding encoding, char* buffer,
                   std::size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  const std::string question = platform::text::from_utf8("?", encoding).value_or("");
  const std::size_t room = size - 1;
  std::size_t written = 0;
  bool any_converted = false;
  // Character by character, so that one the encoding lacks costs only itself.
  for (std::size_t at = 0; at < utf8.size();) {
    std::size_t length = character_length(utf8, at);
    std::optional<std::string> encoded =
        platform::text::from_utf8(utf8.substr(at, length), encoding);
    const std::string& piece = encoded ? *encoded : question;
    if (written + piece.size() > room) break;
    std::memcpy(buffer + written, piece.data(), piece.size());
    written += piece.size();
    any_converted = any_converted || encoded.has_value();
    at += length;
  }
  if (!any_converted) written = 0;
  buffer[written] = '\0';
  return static_cast<int>(written);
}
