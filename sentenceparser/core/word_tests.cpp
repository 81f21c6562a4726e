#include "sentenceparser/core/word_tests.h"

#include <cstdio>
#include <cstring>

#include "sentenceparser/core/chr_substitution.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/group_search.h"
#include "sentenceparser/core/sp_chars.h"

namespace sentence {

namespace {

constexpr int kIndexEntrySize = 4;
// Longest record any hanzi-keyed library holds (place names: 12 bytes).
constexpr int kRecordMax = 12;
constexpr int kNumberWordMax = 7;

bool data_file(const char* name, char (&path)[512]) {
  if (InputProperty.DataPath == nullptr) return false;
  const int written = std::snprintf(path, sizeof path, "%s%s", InputProperty.DataPath, name);
  return written > 0 && static_cast<std::size_t>(written) < sizeof path;
}

// Two-byte membership in a list of characters written back to back.
bool in_class(const char* characters, const char* unit) {
  for (const char* c = characters; c[0] != '\0' && c[1] != '\0'; c += 2) {
    if (c[0] == unit[0] && c[1] == unit[1]) return true;
  }
  return false;
}

// 零 ○ 一 二 三 四 五 六 七 八 九 十
constexpr const char* kDigits =
    "\xC1\xE3\xA1\xF0\xD2\xBB\xB6\xFE\xC8\xFD\xCB\xC4\xCE\xE5\xC1\xF9\xC6\xDF\xB0\xCB\xBE\xC5\xCA\xAE";
constexpr const char* kUnits = "\xCA\xAE\xB0\xD9\xC7\xA7\xCD\xF2";  // 十 百 千 万
constexpr const char* kPoint = "\xB5\xE3";                          // 点
// 零 壹 贰 叁 肆 伍 陆 柒 捌 玖 拾
constexpr const char* kFormalDigits =
    "\xC1\xE3\xD2\xBC\xB7\xA1\xC8\xFE\xCB\xC1\xCE\xE9\xC2\xBD\xC6\xE2\xB0\xC6\xBE\xC1\xCA\xB0";
constexpr const char* kFormalUnits = "\xCA\xB0\xB0\xDB\xC7\xAA\xCD\xF2";  // 拾 佰 仟 万

enum NumberState { kStart = 0, kAfterDigit = 1, kAfterUnit = 2, kAfterFormalDigit = 4,
                   kAfterFormalUnit = 5, kNotNumber = -1 };

NumberState next_state(NumberState state, const char* unit) {
  const bool digit = in_class(kDigits, unit);
  const bool unit_or_point = in_class(kUnits, unit) || in_class(kPoint, unit);
  switch (state) {
    case kStart:
      if (digit) return kAfterDigit;
      if (unit_or_point) return kAfterUnit;
      if (in_class(kFormalDigits, unit)) return kAfterFormalDigit;
      if (in_class(kFormalUnits, unit)) return kAfterFormalUnit;
      return kNotNumber;
    case kAfterDigit:
      if (digit) return kAfterDigit;
      return unit_or_point ? kAfterUnit : kNotNumber;
    case kAfterUnit:
      return digit ? kAfterDigit : kNotNumber;
    case kAfterFormalDigit:
      if (in_class(kFormalDigits, unit)) return kAfterFormalDigit;
      return in_class(kFormalUnits, unit) ? kAfterFormalUnit : kNotNumber;
    case kAfterFormalUnit:
      return in_class(kFormalDigits, unit) ? kAfterFormalDigit : kNotNumber;
    default:
      return kNotNumber;
  }
}

}  // namespace

int DecodeChr(char* buffer, int mode) {
  if (buffer == nullptr) return 0;
  const std::size_t length = std::strlen(buffer);
  undo_chr_substitution(reinterpret_cast<unsigned char*>(buffer), length, mode == 1);
  return static_cast<int>(length);
}

int GetLib22Pos(int k, int* count, SpFile* index) {
  if (count != nullptr) *count = 0;
  if (index == nullptr || k < 0) return -1;
  unsigned char entry[kIndexEntrySize];
  if (_fseek(index, static_cast<long>(k) * kIndexEntrySize, SEEK_SET) != 0 ||
      _fread(index, entry, sizeof entry) != sizeof entry) {
    return -1;
  }
  if (count != nullptr) *count = entry[2] | (entry[3] << 8);
  return entry[0] | (entry[1] << 8);
}

int BsrhJ2(const char* text, int index, long group_start, SpFile* records, int length) {
  const int width = length - 2;
  // An unreadable record compares as smaller, so the search moves on and ends.
  if (text == nullptr || records == nullptr || width < 1 || width > kRecordMax || index < 0) return 1;
  char record[kRecordMax + 1] = {};
  if (_fseek(records, group_start + static_cast<long>(index) * width, SEEK_SET) != 0 ||
      _fread(records, record, static_cast<std::size_t>(width)) != static_cast<std::size_t>(width)) {
    return 1;
  }
  undo_chr_substitution(reinterpret_cast<unsigned char*>(record), static_cast<std::size_t>(width),
                        true);
  return std::strcmp(text + 2, record);
}

int FindInHanziLibrary(const char* index_name, const char* records_name, const char* text,
                       int length) {
  const int width = length - 2;
  if (text == nullptr || width < 1 || width > kRecordMax) return 0;
  const int number = ComputeGbNo(text);
  if (number < 0) return 0;
  // Both files are opened before the entry is read: a missing library answers -1 whatever the
  // group, so callers never mistake it for a library without the word.
  char path[512];
  if (!data_file(index_name, path)) return -1;
  SpFile* index = _fopen(path, kOpenRead);
  if (index == nullptr) return -1;
  if (!data_file(records_name, path)) return -1;
  SpFile* records = _fopen(path, kOpenRead);
  if (records == nullptr) {
    _fclose(index);
    return -1;
  }
  int count = 0;
  const int first = GetLib22Pos(number, &count, index);
  _fclose(index);
  const long group_start = static_cast<long>(first) * width;
  // A group reaching past the end of the file is damage: nothing in it counts.
  if (first < 0 || count <= 0 ||
      group_start + static_cast<long>(count) * width > QAMMapSize(records)) {
    _fclose(records);
    return 0;
  }
  const bool found = search_group(count, [&](long i) {
    return BsrhJ2(text, static_cast<int>(i), group_start, records, length);
  });
  _fclose(records);
  return found ? 1 : 0;
}

int InS2Cz(const char* text, int mode) {
  if (text == nullptr) return 0;
  const std::size_t length = strnlen(text, 9);
  const int n = static_cast<int>(length / 2);
  if (length % 2 != 0 || n < 2 || n > 4 || StringIsChinese(text, 1) == 0) return 0;
  char index_name[32];
  char records_name[32];
  const char* prefix = mode == 0 ? "p" : "";
  std::snprintf(index_name, sizeof index_name, "cz/%scz%d.inx", prefix, n);
  std::snprintf(records_name, sizeof records_name, "cz/%scz%d.lib", prefix, n);
  return FindInHanziLibrary(index_name, records_name, text, static_cast<int>(length));
}

int IsNumWords(const char* text, int n) {
  if (text == nullptr || n < 2 || n > kNumberWordMax) return 0;
  const std::size_t length = strnlen(text, 2 * kNumberWordMax + 1);
  if (length < static_cast<std::size_t>(2 * n)) return 0;
  char characters[2 * kNumberWordMax + 1] = {};
  std::memcpy(characters, text, static_cast<std::size_t>(2 * n));
  if (StringIsChinese(characters, 0) == 0) return 0;
  NumberState state = kStart;
  for (int i = 0; i < n && state != kNotNumber; ++i) state = next_state(state, characters + 2 * i);
  return state == kNotNumber ? 0 : 1;
}

int IsHzWord(const char* text, int mode) {
  if (text == nullptr) return 0;
  const int n = static_cast<int>(strnlen(text, 10) / 2);
  if (n < 2 || n > 4 || (n == 4 && mode == 0)) return 0;
  const int found = InS2Cz(text, mode);
  if (found < 0) return 0;
  if (found > 0) return 1;
  return IsNumWords(text, n);
}

}  // namespace sentence
