#include "sentenceparser/core/certainty.h"

#include <algorithm>
#include <cstring>

#include "CoreSource/tables/pinyin_code.h"
#include "sentenceparser/core/generated_tables.h"
#include "sentenceparser/core/sp_chars.h"

namespace sentence {

namespace {

constexpr int kNoValue = -1;
// Certainty of an initial letter typed alone; i, u and v start no syllable of their own.
constexpr int kLetterCertainty[26] = {
    18, 14, 7,  23, 34, 15, 15, 10, kNoValue, 4, 22, 12, 11,
    27, 85, 14, 8,  38, 7,  9,  kNoValue, kNoValue, 15, 7, 10, 7,
};

int syllable_certainty(const char* syllable) {
  const auto* begin = generated::kSyllableCertainty;
  const auto* end = begin + generated::kSyllableCertaintyCount;
  const auto* found = std::lower_bound(begin, end, syllable, [](const auto& row, const char* text) {
    return std::strcmp(row.syllable, text) < 0;
  });
  return found != end && std::strcmp(found->syllable, syllable) == 0 ? found->value : kNoValue;
}

}  // namespace

void GetDanPl(char* key, int* result) {
  if (key == nullptr || result == nullptr || key[0] == '\0') return;
  if (IsCharUpper(key[0])) {
    for (char* c = key; *c != '\0'; ++c) {
      if (IsCharUpper(*c)) *c = static_cast<char>(*c - 'A' + 'a');
    }
    if (key[1] != '\0') return;  // only a single letter has a value
    const int value = kLetterCertainty[key[0] - 'a'];
    if (value != kNoValue) *result = value;
    return;
  }
  if (!IsCharLower(key[0]) || key[1] == '\0') return;
  const char final_code[2] = {key[1], '\0'};
  char syllable[16] = {key[0]};
  if (ime_trans_ym(final_code, syllable + 1, 1) != 0) return;
  char plain[8] = {};
  ime_dan_to_shuang(syllable, plain, 0);  // the table knows "a", not "aP"
  const int value = syllable_certainty(plain);
  if (value != kNoValue) *result = value;
}

}  // namespace sentence
