// Candidate listings of one key: the library words that agree with the fixed text, heaviest
// first, each followed by its weight letter. Learned words are not part of these listings.
#pragma once

#include <vector>

#include "sentenceparser/core/word_library.h"

namespace sentence {

// The listing text stays below this many bytes; `out` holds at least as many.
inline constexpr int kListingSize = 256;
// Records collected around a match at most.
inline constexpr int kListingEntriesMax = 4128;

struct ListedWord {
  char text[kWordTextSize];
  int weight;
};

// 'a' + (weight + 3) / 4 for weights up to 96 ('a' below 0), 'z' above.
char trans_weight(int weight);
// Writes the words in descending weight (equal weights in their order) while the text stays
// below kListingSize bytes; returns the words written.
int write_listing(std::vector<ListedWord> words, char* out);

// Main-library words of a full-pinyin key of 2..7 syllables; words split into single syllables
// that are not preferred are left out. Returns the words written.
int MyAllWord(int first, int last, const char* key, int n, const char* fixed, char* out);
// Words offered for an abbreviation of 2..7 initials (either case).
int MyAllJpWord(const char* key, int n, const char* fixed, char* out);

}  // namespace sentence
