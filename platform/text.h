// Strict conversion between the text encodings the system's files and services use.
// An invalid or unmappable sequence is an error: nothing is silently dropped or replaced.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform::text {

enum class Encoding { Utf8, Gb18030, Gbk, Utf16LE, Utf16BE };

// Name of the encoding as iconv knows it.
const char* iconv_name(Encoding encoding);

// Converts `input` from one encoding to another; nullopt when the input is invalid in `from`
// or holds a character that `to` cannot represent.
std::optional<std::string> convert(std::string_view input, Encoding from, Encoding to);

inline std::optional<std::string> to_utf8(std::string_view input, Encoding from) {
  return convert(input, from, Encoding::Utf8);
}
inline std::optional<std::string> from_utf8(std::string_view utf8, Encoding to) {
  return convert(utf8, Encoding::Utf8, to);
}

bool is_valid_utf8(std::string_view bytes);

// Length in bytes of the UTF-8 sequence that starts with `lead`, 0 for a continuation or
// invalid lead byte.
std::size_t utf8_sequence_length(unsigned char lead);

// The longest prefix of `utf8` of at most `max_bytes` bytes that ends on a character boundary.
std::string_view utf8_prefix(std::string_view utf8, std::size_t max_bytes);

struct ByteOrderMark {
  std::optional<Encoding> encoding;  // nullopt: no byte-order mark
  std::size_t length = 0;            // bytes the mark takes
};

// Recognises a UTF-8, UTF-16LE or UTF-16BE byte-order mark at the start of `bytes`.
ByteOrderMark detect_bom(std::string_view bytes);

// Decodes a file's bytes to UTF-8: a byte-order mark wins; otherwise valid UTF-8 is taken as
// it is and anything else is read as GB18030. nullopt when the bytes fit none of them.
std::optional<std::string> decode_to_utf8(std::string_view bytes);

}  // namespace platform::text
