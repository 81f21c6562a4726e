#include "sentenceparser/core/hanzi_pinyin.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "CoreSource/tables/pinyin_code.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/group_search.h"
#include "sentenceparser/core/line_scramble.h"
#include "sentenceparser/core/reading_library_layout.h"
#include "sentenceparser/core/sp_chars.h"
#include "sentenceparser/core/syllable_numbers.h"

namespace sentence {

namespace {

constexpr int kSyllableLettersMax = 6;

// Readings the reading file cannot be trusted with: ü spelled 'v'.
struct FixedReading {
  const char* characters;  // GBK, back to back
  const char* reading;
};
constexpr FixedReading kFixedReadings[] = {
    {"\xC5\xAE\xF4\xAC\xEE\xCF\xED\xA4", "nv"},  // 女 衄 钕 恧
    {"\xC5\xB0\xC5\xB1", "nve"},                 // 虐 疟
    // 率 吕 绿 铝 旅 屡 滤 律 缕 侣 履 虑 闾 榈 稆 褛 捋 偻 膂 驴
    {"\xC2\xCA\xC2\xC0\xC2\xCC\xC2\xC1\xC2\xC3\xC2\xC5\xC2\xCB\xC2\xC9\xC2\xC6\xC2\xC2"
     "\xC2\xC4\xC2\xC7\xE3\xCC\xE9\xB5\xEF\xF9\xF1\xDA\xDE\xDB\xD9\xCD\xEB\xF6\xC2\xBF",
     "lv"},
    {"\xC2\xD4\xC2\xD3\xEF\xB2", "lve"},  // 略 掠 锊
};

const char* fixed_reading(const char* character) {
  for (const FixedReading& fixed : kFixedReadings) {
    for (const char* c = fixed.characters; c[0] != '\0' && c[1] != '\0'; c += 2) {
      if (c[0] == character[0] && c[1] == character[1]) return fixed.reading;
    }
  }
  return nullptr;
}

bool data_file(const std::string& name, char (&path)[512]) {
  if (InputProperty.DataPath == nullptr) return false;
  const int written = std::snprintf(path, sizeof path, "%s%s", InputProperty.DataPath, name.c_str());
  return written > 0 && static_cast<std::size_t>(written) < sizeof path;
}

SpFile* open_data_file(const std::string& name) {
  char path[512];
  return data_file(name, path) ? _fopen(path, kOpenRead) : nullptr;
}

bool lower_letters(const char* text) {
  if (*text == '\0') return false;
  for (; *text != '\0'; ++text) {
    if (!IsCharLower(static_cast<unsigned char>(*text))) return false;
  }
  return true;
}

// Appends the syllable of one stored pair (first letter, rest code) to `out`, in its plain
// form; false for a pair that is no syllable.
bool append_syllable(char initial, char code, std::string* out) {
  if (!IsCharLower(static_cast<unsigned char>(initial))) return false;
  const char code_text[2] = {code, '\0'};
  char rest[8] = {};
  if (ime_trans_ym(code_text, rest, 1) != 0) return false;
  char marked[16] = {};
  std::snprintf(marked, sizeof marked, "%c%s", initial, rest);
  char plain[16] = {};
  ime_dan_to_shuang(marked, plain, 0);
  if (std::strlen(plain) > kSyllableLettersMax || !lower_letters(plain)) return false;
  if (!out->empty()) *out += '-';
  *out += plain;
  return true;
}

// Entry `number` of a reading library's index: the first record and the count; false when the
// entry lies past the end of the index.
bool read_index_entry(SpFile* index, bool polyphones, int number, long* first, long* count) {
  const std::size_t width = polyphones ? kDyzIndexEntryBytes : kDycIndexEntryBytes;
  unsigned char entry[kDyzIndexEntryBytes] = {};
  if (_fseek(index, static_cast<long>(number) * static_cast<long>(width), SEEK_SET) != 0 ||
      _fread(index, entry, width) != width) {
    return false;
  }
  auto u32 = [&entry](int at) {
    return static_cast<unsigned long>(entry[at]) | static_cast<unsigned long>(entry[at + 1]) << 8 |
           static_cast<unsigned long>(entry[at + 2]) << 16 |
           static_cast<unsigned long>(entry[at + 3]) << 24;
  };
  *first = static_cast<long>(u32(0));
  *count = polyphones ? static_cast<long>(u32(4)) : static_cast<long>(entry[4] | entry[5] << 8);
  return true;
}

// Readings of the characters one by one, joined by '-'.
int characters_reading(const char* word, int n, char* out) {
  std::string joined;
  for (int i = 0; i < n; ++i) {
    char syllable[8] = {};
    if (GetHzPy(word + 2 * i, syllable) != 1) return 0;
    if (!joined.empty()) joined += '-';
    joined += syllable;
  }
  std::memcpy(out, joined.c_str(), joined.size() + 1);
  return 1;
}

int search_library(const char* word, int n, bool polyphones, char* out) {
  SpFile* index = open_data_file(reading_library_name(polyphones, n, ".inx"));
  if (index == nullptr) return -1;
  SpFile* records = open_data_file(reading_library_name(polyphones, n, ".lib"));
  if (records == nullptr) {
    _fclose(index);
    return -1;
  }
  long first = 0;
  long count = 0;
  const bool entry = read_index_entry(index, polyphones, ComputeGbNo(word), &first, &count);
  _fclose(index);
  const long width = static_cast<long>(reading_record_width(n));
  // A group reaching past the end of the file is damage: nothing in it counts.
  if (!entry || count <= 0 || first > QAMMapSize(records) / width ||
      count > QAMMapSize(records) / width - first) {
    _fclose(records);
    return 0;
  }
  const long group_start = first * width;
  const bool found = search_group(count, [&](long i) {
    return BsrhDuoYin(word, static_cast<int>(i), group_start, records, n, out);
  });
  _fclose(records);
  return found ? 1 : 0;
}

}  // namespace

int GetHzPy(const char* character, char* out) {
  if (out == nullptr) return 0;
  out[0] = '\0';
  if (character == nullptr) return 0;
  const int number = ChrIsChinese(character, 0);
  if (number < 1) return 0;
  if (const char* reading = fixed_reading(character)) {
    std::strcpy(out, reading);
    return 1;
  }
  SpFile* readings = open_data_file(kCharacterReadingsName);
  if (readings == nullptr) return 0;
  char record[kCharacterReadingBytes + 1] = {};
  const bool read =
      _fseek(readings, static_cast<long>(number - 1) * static_cast<long>(kCharacterReadingBytes),
             SEEK_SET) == 0 &&
      _fread(readings, record, kCharacterReadingBytes) == kCharacterReadingBytes;
  _fclose(readings);
  if (!read) return 0;
  decodeline(record);
  char* end = std::strchr(record, '0');
  if (end != nullptr) *end = '\0';
  if (!lower_letters(record)) return 0;  // an empty or damaged record is no reading
  std::memcpy(out, record, std::strlen(record) + 1);
  return 1;
}

int BsrhDuoYin(const char* word, int index, long group_start, SpFile* file, int n, char* out) {
  const long width = static_cast<long>(reading_record_width(n));
  if (word == nullptr || file == nullptr || width == 0 || index < 0) return 1;
  char record[4 * kReadingWordMax] = {};
  if (_fseek(file, group_start + index * width, SEEK_SET) != 0 ||
      _fread(file, record, static_cast<std::size_t>(width)) != static_cast<std::size_t>(width)) {
    return 1;
  }
  decodeline(record);
  const std::size_t key_bytes = static_cast<std::size_t>(2 * n - 2);
  const int order = std::memcmp(word + 2, record, key_bytes);
  if (order != 0) return order;
  std::string reading;
  for (int i = 0; i < n; ++i) {
    const char* pair = record + key_bytes + 2 * i;
    if (!append_syllable(pair[0], pair[1], &reading)) return 1;
  }
  std::memcpy(out, reading.c_str(), reading.size() + 1);
  return 0;
}

int GetPyFromBase(const char* word, char* out, int mode) {
  if (word == nullptr || out == nullptr) return -1;
  out[0] = '\0';
  const std::size_t length = ::strnlen(word, 2 * kMaxWordNum + 1);
  const int n = static_cast<int>(length / 2);
  if (length % 2 != 0 || n < 1 || n > kMaxWordNum || StringIsChinese(word, 1) == 0) return -1;
  if (mode != 0) {
    if (n < kReadingWordMin) return -1;
    return search_library(word, n, true, out);
  }
  if (n == 1) return GetHzPy(word, out);
  if (n == 2) {
    struct FixedWord {
      const char* word;
      const char* reading;
    };
    // 千古, 秘鲁
    constexpr FixedWord kFixedWords[] = {{"\xC7\xA7\xB9\xC5", "qian-gu"}, {"\xC3\xD8\xC2\xB3", "bi-lu"}};
    for (const FixedWord& fixed : kFixedWords) {
      if (std::strcmp(word, fixed.word) == 0) {
        std::strcpy(out, fixed.reading);
        return 1;
      }
    }
  }
  const int found = search_library(word, n, false, out);
  if (found != 0) return found;
  return characters_reading(word, n, out);
}

int GetVoiceNum(const char* text) {
  if (text == nullptr || ::strnlen(text, 3) != 2 || !CharIsHz(text)) return 0;
  return is_polyphone_character(text) ? 2 : 1;
}

}  // namespace sentence
