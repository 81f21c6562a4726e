// Tables generated at build time from the character weights (kep-tavgen): the full letter
// lists, the certainty of every syllable that has one, and the accent additions.
#pragma once

#include <cstddef>

namespace sentence::generated {

// GBK lists for the letters a..z, commonest first.
extern const char* const kLetterLists[26];

struct SyllableValue {
  const char* syllable;  // plain text ("a", not "aP")
  int value;
};
// Sorted by syllable text (strcmp).
extern const SyllableValue kSyllableCertainty[];
extern const std::size_t kSyllableCertaintyCount;

struct SyllableText {
  const char* syllable;  // plain text
  const char* gbk;
};
// Sorted by syllable text (strcmp).
extern const SyllableText kAccentAdditions[];
extern const std::size_t kAccentAdditionsCount;

}  // namespace sentence::generated
