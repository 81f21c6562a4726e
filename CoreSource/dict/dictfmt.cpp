#include "dict/dictfmt.h"

#include <array>
#include <cstring>

#include "base/bigendian.h"
#include "base/codec.h"
#include "platform/text.h"

namespace dictfmt {

namespace {

void append_be32(std::string& out, std::uint32_t value) {
  unsigned char bytes[4];
  ime_write_be32(bytes, value);
  out.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

char fold_initial(char letter) {
  switch (letter) {
    case 'f': case 'h': return 'F';
    case 'g': case 'k': return 'K';
    case 'l': case 'n': return 'N';
    default: return letter;
  }
}

std::string folded_key(std::string_view initials) {
  std::string key(initials);
  for (char& c : key) c = fold_initial(c);
  return key;
}

namespace {

bool record_inside(const unsigned char* data, std::size_t size, std::uint64_t offset,
                   int syllables) {
  if (data == nullptr || syllables < 1 || syllables > kMaxSyllables) return false;
  const std::uint64_t length = record_size(syllables);
  return offset <= size && length <= size - offset;
}

}  // namespace

bool decode_record(const unsigned char* data, std::size_t size, std::uint64_t offset,
                   int syllables, Record* out) {
  if (!record_inside(data, size, offset, syllables)) return false;
  const std::size_t n = static_cast<std::size_t>(syllables);
  const unsigned char* p = data + offset;
  out->syllables = syllables;
  // The codec maps each byte on its own, so decoding a field by itself is the same as
  // decoding the five fields together.
  std::memcpy(out->initials, p, n);
  std::memcpy(out->finals, p + n, n);
  std::memcpy(out->tones, p + 2 * n, n);
  std::memcpy(out->text, p + 3 * n, 2 * n);
  std::memcpy(out->second, p + 5 * n, 2 * n);
  ime_decode_str(out->initials, n);
  ime_decode_str(out->finals, n);
  ime_decode_str(out->tones, n);
  ime_decode_str(out->text, 2 * n);
  ime_decode_str(out->second, 2 * n);
  out->word_number = ime_read_be32(p + 7 * n);
  out->base_frequency = ime_read_be32(p + 7 * n + 4);
  return true;
}

bool StoredRecord::locate(const unsigned char* data, std::size_t size, std::uint64_t offset,
                          int syllables) {
  if (!record_inside(data, size, offset, syllables)) return false;
  bytes_ = data + offset;
  syllables_ = static_cast<std::size_t>(syllables);
  return true;
}

char StoredRecord::initial(int k) const { return static_cast<char>(getnew0(bytes_[k])); }

char StoredRecord::final_code(int k) const {
  return static_cast<char>(getnew0(bytes_[syllables_ + k]));
}

int StoredRecord::tone_mask(int k) const {
  static const std::array<unsigned char, 256> kMasks = [] {
    std::array<unsigned char, 256> masks{};
    for (int byte = 0; byte < 256; ++byte) {
      masks[byte] = static_cast<unsigned char>(
          dictfmt::tone_mask(static_cast<char>(getnew0(static_cast<unsigned char>(byte)))));
    }
    return masks;
  }();
  return kMasks[bytes_[2 * syllables_ + k]];
}

std::uint32_t StoredRecord::word_number() const { return ime_read_be32(bytes_ + 7 * syllables_); }

std::uint32_t StoredRecord::base_frequency() const {
  return ime_read_be32(bytes_ + 7 * syllables_ + 4);
}

std::string encode_record(std::string_view initials, std::string_view finals,
                          std::string_view tones, std::string_view text, std::string_view second,
                          std::uint32_t word_number, std::uint32_t base_frequency) {
  std::string fields;
  fields.reserve(record_size(static_cast<int>(initials.size())));
  for (std::string_view field : {initials, finals, tones, text, second}) {
    std::string scrambled(field);
    ime_encode_str(scrambled.data(), scrambled.size());
    fields += scrambled;
  }
  append_be32(fields, word_number);
  append_be32(fields, base_frequency);
  fields.append(2, '\0');
  return fields;
}

int tone_mask(char digit) {
  switch (digit) {
    case '1': return 1;
    case '2': return 2;
    case '3': return 4;
    case '4': return 8;
    default: break;
  }
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  return 15;
}

bool is_two_byte_gb18030(std::string_view text) {
  if (text.empty() || text.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    auto lead = static_cast<unsigned char>(text[i]);
    auto trail = static_cast<unsigned char>(text[i + 1]);
    // A second byte 0x30-0x39 would start a four-byte character.
    if (lead < 0x81 || lead > 0xFE) return false;
    if (trail < 0x40 || trail > 0xFE || trail == 0x7F) return false;
  }
  return true;
}

std::optional<IndexValue> parse_index_value(const void* data, std::size_t size) {
  if (data == nullptr || size < kIndexValueHead) return std::nullopt;
  const auto* p = static_cast<const unsigned char*>(data);
  IndexValue value;
  value.offset = ime_read_be32(p);
  value.count = ime_read_be32(p + 4);
  std::size_t at = 8;
  while (true) {
    if (at >= size) {
      value.list_intact = false;  // no terminating zero
      break;
    }
    std::size_t length = p[at];
    if (length == 0) break;
    if (length > size - at - 1) {
      value.list_intact = false;  // an entry running past the value
      break;
    }
    value.longer_keys.emplace_back(reinterpret_cast<const char*>(p + at + 1), length);
    at += 1 + length;
  }
  return value;
}

std::string encode_index_value(std::uint32_t offset, std::uint32_t count) {
  std::string value;
  append_be32(value, offset);
  append_be32(value, count);
  value.push_back('\0');
  return value;
}

std::string append_longer_key(std::string_view value, std::string_view longer_key) {
  std::string grown(value.substr(0, value.empty() ? 0 : value.size() - 1));
  grown.push_back(static_cast<char>(longer_key.size()));
  grown.append(longer_key);
  grown.push_back('\0');
  return grown;
}

std::optional<std::pair<std::string, std::string>> parse_info_line(std::string_view line) {
  std::size_t at = 0;
  while (at < line.size() && is_blank(line[at])) ++at;
  if (at == line.size() || line[at] == '#' || line[at] == '\r' || line[at] == '\n') {
    return std::nullopt;
  }
  std::size_t key_start = at;
  while (at < line.size() && !is_blank(line[at]) && line[at] != '\r' && line[at] != '\n' &&
         at - key_start < kInfoKeyMax) {
    ++at;
  }
  std::string key(line.substr(key_start, at - key_start));
  while (at < line.size() && is_blank(line[at])) ++at;
  std::size_t value_start = at;
  while (at < line.size() && line[at] != '\r' && line[at] != '\n') ++at;
  std::string_view value = line.substr(value_start, at - value_start);
  value = platform::text::utf8_prefix(value, kInfoValueMax);
  if (value.empty()) return std::nullopt;
  return std::make_pair(std::move(key), std::string(value));
}

std::string info_value_on_one_line(std::string_view value) {
  std::string safe(value);
  for (char& c : safe) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return safe;
}

}  // namespace dictfmt
