#include "sentenceparser/core/syllable_forms.h"

#include <cstring>

#include "CoreSource/tables/pinyin_code.h"

namespace sentence {

namespace {

// The code table writes up to 8 bytes.
constexpr std::size_t kCodeBuffer = 8;
constexpr std::size_t kSyllableLettersMax = 15;
static_assert(kSyllableLettersMax + 1 >= kCodeBuffer);

}  // namespace

int tranym(char* text, int direction) {
  if (text == nullptr) return 1;
  char converted[kCodeBuffer] = {};
  if (ime_trans_ym(text, converted, direction) != 0) return 1;
  const std::size_t length = std::strlen(converted);
  if (length + 1 > kSyllableRestRoom) return 1;
  std::memcpy(text, converted, length + 1);
  return 0;
}

bool BuildCorrectionKey(const char* syllables, char* key) {
  if (key == nullptr) return false;
  key[0] = '\0';
  if (syllables == nullptr || syllables[0] == '\0') return false;
  char initials[kCorrectionSyllablesMax] = {};
  char codes[kCorrectionSyllablesMax] = {};
  int count = 0;
  const char* start = syllables;
  while (true) {
    const char* end = std::strchr(start, '+');
    const std::size_t length = end != nullptr ? static_cast<std::size_t>(end - start)
                                              : std::strlen(start);
    if (length == 0 || length > kSyllableLettersMax || count == kCorrectionSyllablesMax) {
      return false;
    }
    char syllable[kSyllableLettersMax + 1] = {};
    std::memcpy(syllable, start, length);
    // "a", "e", "o" have no rest of their own until they read "aP", "eQ", "oR".
    char marked[kSyllableLettersMax + 1] = {};
    if (ime_dan_to_shuang(syllable, marked, 1) != 0) std::memcpy(marked, syllable, length + 1);
    char code[kCodeBuffer] = {};
    if (marked[1] == '\0' || ime_trans_ym(marked + 1, code, 0) != 0) return false;
    initials[count] = marked[0];
    codes[count] = code[0];
    ++count;
    if (end == nullptr) break;
    start = end + 1;
  }
  std::memcpy(key, initials, static_cast<std::size_t>(count));
  std::memcpy(key + count, codes, static_cast<std::size_t>(count));
  key[2 * count] = '\0';
  return true;
}

bool CorrectionKeyToSyllables(const char* key, char* syllables) {
  if (syllables == nullptr) return false;
  syllables[0] = '\0';
  if (key == nullptr) return false;
  const std::size_t length = strnlen(key, kCorrectionKeySize);
  if (length == 0 || length % 2 != 0 || length >= kCorrectionKeySize) return false;
  const std::size_t count = length / 2;
  char joined[kCorrectionSyllablesSize] = {};
  std::size_t used = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const char code[2] = {key[count + i], '\0'};
    char built[1 + kCodeBuffer] = {key[i]};
    if (ime_trans_ym(code, built + 1, 1) != 0) return false;
    char plain[kCodeBuffer] = {};
    ime_dan_to_shuang(built, plain, 0);
    const std::size_t size = std::strlen(plain);
    // Eight syllables of at most six letters and seven '+' always fit.
    if (i > 0) joined[used++] = '+';
    std::memcpy(joined + used, plain, size);
    used += size;
  }
  std::memcpy(syllables, joined, used + 1);
  return true;
}

}  // namespace sentence
