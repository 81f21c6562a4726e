// The pinyin side of a word: syllables, their final codes and the index key.
#include <cstring>

#include "CoreSource/dict/dictfmt.h"
#include "CoreSource/tables/pinyin_code.h"
#include "dictbuilder.h"

int ime_split_py(std::string_view pinyin, char syllables[][8]) {
  int count = 0;
  std::size_t start = 0;
  while (true) {
    std::size_t end = pinyin.find('\'', start);
    std::string_view syllable = pinyin.substr(start, end == std::string_view::npos ? end : end - start);
    if (syllable.empty() || syllable.size() > dictfmt::kMaxSyllableLetters) return -1;
    if (count == dictfmt::kMaxSyllables) return -1;
    for (char c : syllable) {
      if (c < 'a' || c > 'z') return -1;
    }
    std::memcpy(syllables[count], syllable.data(), syllable.size());
    syllables[count][syllable.size()] = '\0';
    ++count;
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return count;
}

int ime_get_enc_ym(const char syllables[][8], int count, char* out) {
  for (int i = 0; i < count; ++i) {
    const char* syllable = syllables[i];
    if (syllable[0] == '\0') return -1;
    if (syllable[1] == '\0') {
      // The vowel syllables store their placeholder letter itself; the reader turns the pair
      // back into the bare vowel.
      char rewritten[8] = {};
      if (ime_dan_to_shuang(syllable, rewritten, 1) != 0) return -1;
      out[i] = rewritten[1];
      continue;
    }
    char code[8] = {};
    if (ime_trans_ym(syllable + 1, code, 0) != 0) return -1;
    out[i] = code[0];
  }
  return count;
}
