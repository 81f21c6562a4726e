#include "sentenceparser/core/hanzi_pinyin.h"

#include <cstring>

#include "CoreSource/tables/pinyin_code.h"
#include "sentenceparser/core/dan_table.h"
#include "sentenceparser/core/sp_chars.h"

namespace sentence {

namespace {

// Rows of letter-only items ("iA", "uC" ...) carry an upper-case mark and are no reading.
bool is_reading(const char* syllable) {
  if (syllable[0] == '\0') return false;
  for (const char* p = syllable; *p != '\0'; ++p) {
    if (!IsCharLower(*p)) return false;
  }
  return true;
}

}  // namespace

int GetHzPy(const char* character, char* out) {
  if (character == nullptr || out == nullptr || !CharIsHz(character)) return 0;
  int best_row = -1;
  int best_position = kDanRowMax + 1;
  for (int row = 0; row < kDanRows; ++row) {
    const DanRow& entry = DanTab[row];
    if (entry.characters == nullptr) continue;
    // Only a position that beats the best so far can matter; equal ones keep the lower row.
    const int limit = entry.count < best_position ? entry.count : best_position;
    for (int position = 0; position < limit; ++position) {
      if (entry.characters[2 * position] == character[0] &&
          entry.characters[2 * position + 1] == character[1]) {
        char plain[8] = {};
        ime_dan_to_shuang(entry.syllable, plain, 0);
        if (is_reading(plain)) {
          best_row = row;
          best_position = position;
        }
        break;
      }
    }
  }
  if (best_row < 0) return 0;
  char plain[8] = {};
  ime_dan_to_shuang(DanTab[best_row].syllable, plain, 0);
  std::memcpy(out, plain, 7);  // a row's syllable holds at most 6 letters
  out[6] = '\0';
  return 1;
}

}  // namespace sentence
