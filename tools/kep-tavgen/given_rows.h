// The rows of the tables that are fixed by hand rather than computed: the heads of the letter
// lists, the certainties and accent additions that are known, and the syllables that take
// accent additions. Texts are UTF-8; the builders convert them.
#pragma once

#include <span>
#include <string_view>

namespace tavgen {

struct GivenLetterHead {
  char letter;
  int length;             // characters of the whole list
  std::string_view head;  // the characters it starts with
};
// Letters a..z in order; i, u and v are derived from c, s and z and carry no head.
std::span<const GivenLetterHead> given_letter_heads();

struct GivenCertainty {
  std::string_view syllable;  // plain text
  int value;
};
std::span<const GivenCertainty> given_certainties();
// Numbered syllables that have no certainty even when they have characters.
std::span<const std::string_view> syllables_without_certainty();

struct GivenAddition {
  std::string_view syllable;
  std::string_view characters;
};
std::span<const GivenAddition> given_accent_additions();
// Every syllable (plain text) that takes accent additions.
std::span<const std::string_view> accent_addition_keys();

}  // namespace tavgen
