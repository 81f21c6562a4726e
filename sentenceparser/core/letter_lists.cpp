#include "sentenceparser/core/letter_lists.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "sentenceparser/core/dan_table.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/generated_tables.h"
#include "sentenceparser/core/sp_chars.h"
#include "sentenceparser/core/sp_file.h"
#include "sentenceparser/core/syllable_numbers.h"

namespace sentence {

namespace {

constexpr std::size_t kLetterListOutput = 256;
constexpr std::size_t kContextListOutput = 259;
constexpr int kIndexRecordSize = 6;
// Merging needs room for both lists; a context list longer than this stands alone.
constexpr int kMergeLimit = 124;

constexpr const char* kClassCodes[] = {"JS", "QT", "SZ", "XW"};

int fold_letter(char c) {
  if (IsCharUpper(c)) return c - 'A';
  if (IsCharLower(c)) return c - 'a';
  return -1;
}

// The text's bytes, at most `room` - 1 of them and never half a trailing character.
void copy_bounded(char* out, std::size_t room, const char* text) {
  std::size_t length = strnlen(text, room);
  if (length > room - 1) length = (room - 1) & ~static_cast<std::size_t>(1);
  std::memcpy(out, text, length);
  out[length] = '\0';
}

// DataPath followed by `name`; false when there is no data path or the result does not fit.
bool data_file(const char* name, char (&path)[512]) {
  if (InputProperty.DataPath == nullptr) return false;
  const int written = std::snprintf(path, sizeof path, "%s%s", InputProperty.DataPath, name);
  return written > 0 && static_cast<std::size_t>(written) < sizeof path;
}

bool is_full_width_digit(const char* text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  const auto trail = static_cast<unsigned char>(text[1]);
  return lead == 0xA3 && trail >= 0xB0 && trail <= 0xB9;
}

// The two-byte context that the character before a key stands for.
void context_of(const char* prefix, char* context) {
  if (CharIsHz(prefix)) {
    context[0] = prefix[0];
    context[1] = prefix[1];
  } else if (IsDigit(prefix[0]) || is_full_width_digit(prefix)) {
    std::memcpy(context, "SZ", 2);
  } else if (IsWestChar(prefix[0]) || IsQJEN(prefix)) {
    std::memcpy(context, "XW", 2);
  } else {
    std::memcpy(context, "QT", 2);
  }
}

}  // namespace

int GetJJppDan(const char* key, char* output) {
  if (output == nullptr) return 1;
  output[0] = '\0';
  if (key == nullptr) return 1;
  const int letter = fold_letter(key[0]);
  copy_bounded(output, kLetterListOutput, letter >= 0 ? generated::kLetterLists[letter] : key);
  const int count = static_cast<int>(std::strlen(output) / 2);
  return count > 0 ? count : 1;
}

int compute_danmodi_line(const char* key) {
  if (key == nullptr || key[0] == '\0' || key[1] == '\0') return -1;
  const int letter = fold_letter(key[2]);
  if (letter < 0) return -1;
  int context = -1;
  for (int i = 0; i < 4; ++i) {
    if (key[0] == kClassCodes[i][0] && key[1] == kClassCodes[i][1]) context = i;
  }
  if (context < 0) {
    const int number = ComputeGbNo(key);
    if (number < 0) return -1;
    context = number + 1 + 3;  // characters count from 1 after the four classes
  }
  return context * 26 + letter;
}

int gethead_interchr(const char* key, char* output) {
  if (output == nullptr) return 0;
  const int record = compute_danmodi_line(key);
  if (record < 0) return 0;
  char path[512];
  if (!data_file("py\\danmodi.inx", path)) return 0;
  SpFile* index = _fopen(path, kOpenRead);
  if (index == nullptr) return 0;
  unsigned char entry[kIndexRecordSize];
  const bool have_entry = _fseek(index, static_cast<long>(record) * kIndexRecordSize, 0) == 0 &&
                          _fread(index, entry, sizeof entry) == sizeof entry;
  _fclose(index);
  if (!have_entry) return 0;
  const std::uint32_t start = entry[0] | entry[1] << 8 | entry[2] << 16 |
                              static_cast<std::uint32_t>(entry[3]) << 24;
  std::uint32_t count = entry[4] | entry[5] << 8;
  if (count == 0) return 0;
  if (count > static_cast<std::uint32_t>(kContextListMax)) count = kContextListMax;

  if (!data_file("py\\danmodi.lib", path)) return 0;
  SpFile* list = _fopen(path, kOpenRead);
  if (list == nullptr) return 0;
  char characters[2 * kContextListMax + 1];
  const long offset = static_cast<long>(2 * static_cast<std::uint64_t>(start));
  const std::size_t wanted = 2 * count;
  const bool have_list = offset >= 0 && offset < QAMMapSize(list) && _fseek(list, offset, 0) == 0 &&
                         _fread(list, characters, wanted) == wanted;
  _fclose(list);
  if (!have_list) return 0;
  for (std::size_t i = 0; i < wanted; ++i) {
    characters[i] = static_cast<char>(characters[i] ^ kDanmodiXorKey);
  }
  characters[wanted] = '\0';
  static_assert(sizeof characters <= kContextListOutput);
  std::memcpy(output, characters, wanted + 1);
  return 1;
}

int GetJpDan(const char* prefix, const char* text, char* output) {
  if (output == nullptr) return 0;
  if (text == nullptr) text = "";
  // Context lists exist for letters only.
  if (prefix == nullptr || prefix[0] == '\0' || fold_letter(text[0]) < 0) {
    return GetJJppDan(text, output);
  }
  char key[4] = {};
  context_of(prefix, key);
  key[2] = text[0];
  char context_list[kContextListOutput];
  char letter_list[kLetterListOutput];
  int count = 0;
  if (gethead_interchr(key, context_list) == 1) {
    count = static_cast<int>(std::strlen(context_list) / 2);
  } else {
    count = GetJJppDan(text, context_list);
  }
  if (count > kMergeLimit) {
    std::memcpy(output, context_list, std::strlen(context_list) + 1);
    return count;
  }
  GetJJppDan(text, letter_list);
  return PromptJion(context_list, letter_list, output);
}

}  // namespace sentence
