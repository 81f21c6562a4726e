#include "sentenceparser/core/certainty.h"

#include <algorithm>
#include <cstring>

#include "CoreSource/tables/pinyin_code.h"
#include "sentenceparser/core/generated_tables.h"
#include "sentenceparser/core/sp_chars.h"

namespace sentence {

namespace {

// Certainty of an initial letter typed alone; i, u and v start no syllable of their own.
constexpr int kNoLetterValue = -1;
constexpr int kLetterCertainty[26] = {
    18, 14, 7,  23, 34, 15, 15, 10, kNoLetterValue, 4, 22, 12, 11,
    27, 85, 14, 8,  38, 7,  9,  kNoLetterValue, kNoLetterValue, 15, 7, 10, 7,
};

int syllable_certainty(const char* syllable) {
  const auto* begin = generated::kSyllableCertainty;
  const auto* end = begin + generated::kSyllableCertaintyCount;
  const auto* found = std::lower_bound(begin, end, syllable, [](const auto& row, const char* text) {
    return std::strcmp(row.syllable, text) < 0;
  });
  return found != end && std::strcmp(found->syllable, syllable) == 0 ? found->value : 0;
}

}  // namespace

void GetDanPl(const char* key, int* result) {
  if (result == nullptr) return;
  *result = 0;
  if (key == nullptr || key[0] == '\0') return;
  if (IsCharUpper(key[0])) {
    if (key[1] != '\0') return;  // only a single letter has a value
    const int value = kLetterCertainty[key[0] - 'A'];
    if (value != kNoLetterValue) *result = value;
    return;
  }
  if (!IsCharLower(key[0]) || key[1] == '\0') return;
  const char final_code[2] = {key[1], '\0'};
  char syllable[16] = {key[0]};
  if (ime_trans_ym(final_code, syllable + 1, 1) != 0) return;
  char plain[8] = {};
  ime_dan_to_shuang(syllable, plain, 0);  // the table knows "a", not "aP"
  *result = syllable_certainty(plain);
}

}  // namespace sentence
