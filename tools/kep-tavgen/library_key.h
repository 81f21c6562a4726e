// The word key the service builds for a run of syllables, as the word libraries are keyed and
// sorted by it: for N syllables other than 2, the N initials then N final codes; for two, the
// two initials, the two second letters, then the two codes. One-vowel syllables count in their
// marked form ("a" as "aP").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavgen {

// The marked form ("aP" for "a") with its initial and final code; nullopt for a syllable that
// does not start with a..z or whose remainder has no final code.
struct KeyedSyllable {
  std::string marked;
  char initial = 0;
  char code = 0;
};
std::optional<KeyedSyllable> keyed_syllable(std::string_view syllable);

// The key of 1..7 syllables; nullopt when one of them cannot be keyed.
std::optional<std::string> library_word_key(const std::vector<std::string>& syllables);

}  // namespace tavgen
