// Accent additions: for each syllable that takes them, characters of the syllables a speaker
// who does not tell z/zh, c/ch, s/sh, n/l, f/h, an/ang, en/eng or in/ing apart types the same way.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "character_weights.h"
#include "dan_rows.h"

namespace tavgen {

// Characters drawn from the confusable syllables for one syllable.
inline constexpr std::size_t kMaxDrawnAdditions = 12;
// A syllable's row and its additions together stay within what the choice can return.
inline constexpr std::size_t kMaxRowWithAdditions = 260;

struct AccentEntry {
  std::string syllable;  // plain text
  std::vector<GbkChar> characters;
};

// The syllables of `syllables` that differ from `plain` by one of the swaps above.
std::vector<std::string> confusable_syllables(std::string_view plain, const std::set<std::string>& syllables);

// The given rows as they are; for the other keys up to kMaxDrawnAdditions characters of their
// confusable syllables, heaviest first, none already in the key's own row. Keys without any
// addition get no entry. Sorted by syllable text (strcmp).
std::vector<AccentEntry> build_accent_additions(const DanRows& rows, const CharacterWeights& weights);

}  // namespace tavgen
