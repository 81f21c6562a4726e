#include "sentenceparser/core/name_tests.h"

#include <cstring>

#include "sentenceparser/core/generated_tables.h"
#include "sentenceparser/core/sp_chars.h"
#include "sentenceparser/core/word_tests.h"

namespace sentence {

namespace {

constexpr int kPlaceRecordWidth = 12;
constexpr int kPlacePaddedLength = kPlaceRecordWidth + 2;
// Longer texts are no names of any kind; the bound keeps every scan short.
constexpr std::size_t kNameTextMax = 64;

// Given names accepted for three-character names without the given-name library.
constexpr const char* kBuiltInGivenNames[] = {
    "\xBD\xA8\xB9\xFA",  // 建国
    "\xBD\xA8\xBB\xAA",  // 建华
};

// Membership of the character at `unit` in a comma-separated list, unit by unit so a match can
// never straddle two characters.
bool in_list(const char* list, const char* unit) {
  if (list == nullptr) return false;
  const char* c = list;
  while (c[0] != '\0') {
    if (c[0] == ',') {
      ++c;
      continue;
    }
    if (c[1] == '\0') return false;
    if (c[0] == unit[0] && c[1] == unit[1]) return true;
    c += 2;
  }
  return false;
}

// Character count of a text made only of two-byte units; 0 for anything else or a text too long.
int character_count(const char* text) {
  if (text == nullptr) return 0;
  const std::size_t length = strnlen(text, kNameTextMax + 1);
  if (length > kNameTextMax || length % 2 != 0) return 0;
  for (std::size_t i = 0; i < length; i += 2) {
    if (static_cast<unsigned char>(text[i]) < 0x81) return 0;
  }
  return static_cast<int>(length / 2);
}

}  // namespace

int InRm3(const char* given) {
  if (given == nullptr || strnlen(given, 5) != 4) return 0;
  return FindInHanziLibrary("cz\\rm3.inx", "cz\\rm3.lib", given, 4) == 1 ? 1 : 0;
}

int is_ChineseName3(const char* name) {
  if (character_count(name) != 3) return 0;
  const char* given = name + 2;
  for (const char* built_in : kBuiltInGivenNames) {
    if (std::strcmp(given, built_in) == 0) return 1;
  }
  return InRm3(given);
}

int IsChineseName(const char* text) {
  const int n = character_count(text);
  if (n != 2 && n != 3) return 0;
  if (!in_list(generated::kSurnames, text)) return 0;
  if (n == 3) return is_ChineseName3(text);
  return in_list(generated::kGivenNameCharacters, text + 2) ? 1 : 0;
}

int IsWestName(const char* text) {
  const int n = character_count(text);
  if (n < 2) return 0;
  if (!in_list(generated::kWesternFirst, text)) return 0;
  for (int i = 1; i < n - 1; ++i) {
    if (!in_list(generated::kWesternMiddle, text + 2 * i)) return 0;
  }
  return in_list(generated::kWesternLast, text + 2 * (n - 1)) ? 1 : 0;
}

int IsDmName(const char* text) {
  if (text == nullptr || ComputeGbNo(text) < 0) return 0;
  const std::size_t length = strnlen(text, kPlacePaddedLength + 1);
  if (length < 4 || length > static_cast<std::size_t>(kPlacePaddedLength)) return 0;
  char padded[kPlacePaddedLength + 1];
  std::memset(padded, '0', kPlacePaddedLength);
  std::memcpy(padded, text, length);
  padded[kPlacePaddedLength] = '\0';
  return FindInHanziLibrary("cz\\dm.inx", "cz\\dm.lib", padded, kPlacePaddedLength) == 1 ? 1 : 0;
}

}  // namespace sentence
