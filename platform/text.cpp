#include "platform/text.h"

#include <iconv.h>

#include <cerrno>
#include <memory>

namespace platform::text {

const char* iconv_name(Encoding encoding) {
  switch (encoding) {
    case Encoding::Utf8: return "UTF-8";
    case Encoding::Gb18030: return "GB18030";
    case Encoding::Gbk: return "GBK";
    case Encoding::Utf16LE: return "UTF-16LE";
    case Encoding::Utf16BE: return "UTF-16BE";
  }
  return "UTF-8";
}

namespace {

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};

}  // namespace

std::optional<std::string> convert(std::string_view input, Encoding from, Encoding to) {
  // glibc's UTF-8 decoder accepts a few sequences it should not (surrogates); check first.
  if (from == Encoding::Utf8 && !is_valid_utf8(input)) return std::nullopt;
  if (from == to) return std::string(input);

  iconv_t raw = iconv_open(iconv_name(to), iconv_name(from));
  if (raw == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::unique_ptr<void, IconvCloser> cd(raw);

  std::string out;
  out.resize(input.size() * 4 + 16);
  char* in_ptr = const_cast<char*>(input.data());
  std::size_t in_left = input.size();
  std::size_t used = 0;
  while (true) {
    char* out_ptr = out.data() + used;
    std::size_t out_left = out.size() - used;
    std::size_t rc = iconv(raw, in_left ? &in_ptr : nullptr, &in_left, &out_ptr, &out_left);
    used = out.size() - out_left;
    if (rc != static_cast<std::size_t>(-1)) {
      if (in_left == 0) break;
      continue;
    }
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // EILSEQ (invalid or unmappable) or EINVAL (truncated sequence at the end).
    return std::nullopt;
  }
  // Flush any shift state so that stateful encodings end cleanly.
  char* out_ptr = out.data() + used;
  std::size_t out_left = out.size() - used;
  if (iconv(raw, nullptr, nullptr, &out_ptr, &out_left) == static_cast<std::size_t>(-1)) {
    return std::nullopt;
  }
  used = out.size() - out_left;
  out.resize(used);
  return out;
}

std::size_t utf8_sequence_length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

bool is_valid_utf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    auto lead = static_cast<unsigned char>(bytes[i]);
    std::size_t n = utf8_sequence_length(lead);
    if (n == 0 || i + n > bytes.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
    }
    if (n >= 3) {
      auto second = static_cast<unsigned char>(bytes[i + 1]);
      if (lead == 0xE0 && second < 0xA0) return false;  // overlong
      if (lead == 0xED && second >= 0xA0) return false;  // surrogate
      if (lead == 0xF0 && second < 0x90) return false;  // overlong
      if (lead == 0xF4 && second >= 0x90) return false;  // beyond U+10FFFF
    }
    i += n;
  }
  return true;
}

std::string_view utf8_prefix(std::string_view utf8, std::size_t max_bytes) {
  if (utf8.size() <= max_bytes) return utf8;
  std::size_t end = max_bytes;
  // Step back over continuation bytes to the start of the character that would be cut.
  while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) --end;
  return utf8.substr(0, end);
}

ByteOrderMark detect_bom(std::string_view bytes) {
  auto starts = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
  if (starts("\xEF\xBB\xBF")) return {Encoding::Utf8, 3};
  if (starts("\xFF\xFE")) return {Encoding::Utf16LE, 2};
  if (starts("\xFE\xFF")) return {Encoding::Utf16BE, 2};
  return {};
}

std::optional<std::string> decode_to_utf8(std::string_view bytes) {
  ByteOrderMark bom = detect_bom(bytes);
  if (bom.encoding) return to_utf8(bytes.substr(bom.length), *bom.encoding);
  if (is_valid_utf8(bytes)) return std::string(bytes);
  return to_utf8(bytes, Encoding::Gb18030);
}

}  // namespace platform::text
