// Tables generated at build time from the character weights and the name lexicons (kep-tavgen):
// the full letter lists, the certainty of every syllable that has one, the accent additions and
// the name lists.
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

// Name lists, GBK characters separated by ",": surnames, the characters of one-character given
// names, and the first, middle and last characters of transcribed Western names.
extern const char* const kSurnames;
extern const char* const kGivenNameCharacters;
extern const char* const kWesternFirst;
extern const char* const kWesternMiddle;
extern const char* const kWesternLast;

}  // namespace sentence::generated
