// The pinyin and the second form of a text, looked up in a pinyin code file.
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CoreSource/base/bigendian.h"
#include "CoreSource/base/imelog.h"
#include "imetools.h"
#include "platform/files.h"
#include "platform/text.h"

namespace {

using platform::text::Encoding;

constexpr std::size_t kTopOffsetsBytes = 26 * 4;
constexpr std::size_t kTextLimit = 512;  // bytes of UTF-16 a text may take

struct Record {
  std::string pinyin;
  unsigned char second[2];
  std::uint32_t frequency;
  std::uint32_t previous;
};

bool read_at(std::FILE* file, long offset, void* out, std::size_t length) {
  return std::fseek(file, offset, SEEK_SET) == 0 && std::fread(out, 1, length, file) == length;
}

// The records region ends where the character index begins.
bool read_record(std::FILE* file, std::uint32_t offset, std::size_t index_at, Record* record) {
  unsigned char raw[IME_PYCODE_RECORD_BYTES];
  if (offset < kTopOffsetsBytes || offset + IME_PYCODE_RECORD_BYTES > index_at ||
      !read_at(file, static_cast<long>(offset), raw, sizeof raw)) {
    return false;
  }
  record->pinyin.assign(reinterpret_cast<const char*>(raw), strnlen(reinterpret_cast<const char*>(raw), 6));
  std::memcpy(record->second, raw + 12, 2);
  record->frequency = ime_read_be32(raw + 14);
  record->previous = ime_read_be32(raw + 22);
  return true;
}

// The most used record of the character at `index`; an override's pinyin replaces its pinyin.
std::optional<Record> best_record(std::FILE* file, std::size_t index_at, std::uint32_t index) {
  unsigned char raw[4];
  if (!read_at(file, static_cast<long>(index_at + 4 * index), raw, 4)) return std::nullopt;
  std::uint32_t offset = ime_read_be32(raw);
  std::optional<Record> best;
  for (int seen = 0; offset != 0 && seen < IME_PYCODE_MAX_READINGS; ++seen) {
    Record record;
    if (!read_record(file, offset, index_at, &record)) return std::nullopt;
    if (!best || record.frequency > best->frequency) best = record;
    offset = record.previous;
  }
  return best;
}

std::u16string utf16_of(const std::string& utf16be) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < utf16be.size(); i += 2) {
    text.push_back(static_cast<char16_t>((static_cast<unsigned char>(utf16be[i]) << 8) |
                                         static_cast<unsigned char>(utf16be[i + 1])));
  }
  return text;
}

}  // namespace

int ime_build_phrase(std::FILE* code_file, const char* text, char* pinyin, std::size_t* pinyin_length,
                     unsigned char* second, std::size_t* second_length,
                     const ime_pycode_override_t* overrides, int override_count) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> opened(nullptr, std::fclose);
  if (code_file == nullptr) {
    opened.reset(std::fopen(platform::files::under_root(IME_PYCODE_DEFAULT_FILE).c_str(), "rb"));
    code_file = opened.get();
  }
  if (code_file == nullptr) {
    IME_INFO("Open Pinyin code file failed!");
    return -1;
  }
  if (text == nullptr || pinyin == nullptr || pinyin_length == nullptr || second == nullptr ||
      second_length == nullptr) {
    return -1;
  }
  if (std::fseek(code_file, 0, SEEK_END) != 0) return -1;
  long size = std::ftell(code_file);
  std::size_t tail = IME_PYCODE_INDEX_BYTES + IME_PYCODE_TRAILER_BYTES;
  if (size < 0 || static_cast<std::size_t>(size) < kTopOffsetsBytes + tail) return -1;
  std::size_t index_at = static_cast<std::size_t>(size) - tail;

  std::optional<std::string> utf16 = platform::text::convert(text, Encoding::Utf8, Encoding::Utf16BE);
  if (!utf16 || utf16->size() > kTextLimit) return -1;
  std::string out_pinyin;
  std::string out_second;
  for (char16_t unit : utf16_of(*utf16)) {
    if (unit < IME_PYCODE_FIRST_UNIT || unit - IME_PYCODE_FIRST_UNIT >= IME_PYCODE_INDEX_ENTRIES) return -1;
    std::uint32_t index = unit - IME_PYCODE_FIRST_UNIT;
    std::optional<Record> record = best_record(code_file, index_at, index);
    if (!record) return -1;
    for (int i = 0; overrides != nullptr && i < override_count; ++i) {
      if (overrides[i].index == index) {
        record->pinyin.assign(overrides[i].pinyin, strnlen(overrides[i].pinyin, 6));
        break;
      }
    }
    if (!out_pinyin.empty()) out_pinyin += "'";
    out_pinyin += record->pinyin;
    out_second.append(reinterpret_cast<const char*>(record->second), 2);
  }
  if (out_pinyin.size() + 1 > *pinyin_length || out_second.size() > *second_length) return -1;
  std::memcpy(pinyin, out_pinyin.c_str(), out_pinyin.size() + 1);
  std::memcpy(second, out_second.data(), out_second.size());
  *pinyin_length = out_pinyin.size();
  *second_length = out_second.size();
  return 0;
}

int ime_build_phrase_string(std::FILE* code_file, const std::string& text, std::string* pinyin,
                            std::u16string* second, const ime_pycode_override_t* overrides,
                            int override_count) {
  std::vector<char> pinyin_buffer(kTextLimit / 2 * 7 + 1);
  std::vector<unsigned char> second_buffer(kTextLimit);
  std::size_t pinyin_length = pinyin_buffer.size();
  std::size_t second_length = second_buffer.size();
  if (ime_build_phrase(code_file, text.c_str(), pinyin_buffer.data(), &pinyin_length,
                       second_buffer.data(), &second_length, overrides, override_count) != 0) {
    return -1;
  }
  std::optional<std::string> utf16 = platform::text::convert(
      std::string(reinterpret_cast<const char*>(second_buffer.data()), second_length),
      Encoding::Gb18030, Encoding::Utf16BE);
  if (!utf16) return -1;
  *pinyin = std::string(pinyin_buffer.data(), pinyin_length);
  *second = utf16_of(*utf16);
  return 0;
}

int ime_build_phrase_gb_string(std::FILE* code_file, const char* gb18030, std::size_t length,
                               std::string* pinyin, std::u16string* second,
                               const ime_pycode_override_t* overrides, int override_count) {
  if (gb18030 == nullptr) return -1;
  std::optional<std::string> utf8 = platform::text::to_utf8(std::string_view(gb18030, length), Encoding::Gb18030);
  if (!utf8) return -1;
  return ime_build_phrase_string(code_file, *utf8, pinyin, second, overrides, override_count);
}
