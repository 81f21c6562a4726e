#include "sentenceparser/core/word_lookup.h"

#include <cstring>

#include "sentenceparser/core/certainty.h"
#include "sentenceparser/core/dan_table.h"

namespace sentence {

namespace {

constexpr unsigned char kLookupFlags = 0x80;

int one_syllable(const char* key, char* text, int* weight, unsigned char* flags) {
  char character[kRepeatHzOutput] = {};
  const int found = GetDan(key, character);
  if (found <= 0) return 0;
  *flags = kLookupFlags;
  if (static_cast<unsigned char>(character[0]) < 0x80) {  // no GBK character for the syllable
    *weight = 0;
    return 0;
  }
  GetDanPl(key, weight);
  std::memcpy(text, character, 3);
  return found;
}

}  // namespace

int IsMyWord(int /*first*/, int /*last*/, const char* key, int n, char* text, int* weight,
             unsigned char* flags, int /*learned*/) {
  if (key == nullptr || text == nullptr || weight == nullptr || flags == nullptr) return 0;
  if (n == 1) return one_syllable(key, text, weight, flags);
  return 0;  // longer words come from the word libraries
}

}  // namespace sentence
