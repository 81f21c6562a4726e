// Accent additions: for each syllable that takes them, characters of the syllables a speaker
// who does not tell z/zh, c/ch, s/sh, n/l, f/h, an/ang, en/eng or in/ing apart types the same way,
// a few characters of other near syllables, and common characters that have one of those
// syllables as a second reading.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "character_weights.h"
#include "dan_rows.h"

namespace tavgen {

// Characters drawn from the confusable syllables for one syllable.
inline constexpr std::size_t kMaxDrawnAdditions = 12;
// Characters drawn from each near syllable.
inline constexpr std::size_t kMaxNearAdditions = 3;
// Characters of second readings for one syllable.
inline constexpr std::size_t kMaxSecondReadings = 6;
// A syllable's row and its additions together stay within what the choice can return.
inline constexpr std::size_t kMaxRowWithAdditions = 260;

struct AccentEntry {
  std::string syllable;  // plain text
  std::vector<GbkChar> characters;
};

// The syllables of `syllables` that differ from `plain` by one of the swaps above.
std::vector<std::string> confusable_syllables(std::string_view plain, const std::set<std::string>& syllables);

// The syllables of `syllables` that sound near `plain` without being confusable with it: an
// aspirated or labial initial for its plain one (b/p, d/t, g/k, j/q, z/c, zh/ch, b/f), or a
// neighbouring final (an/ai, ang/eng, in and ing/i, e/er, a/ao).
std::vector<std::string> near_syllables(std::string_view plain, const std::set<std::string>& syllables);

// Each character's weight under the syllable it is read with most.
std::map<GbkChar, std::uint64_t> heaviest_weights(const CharacterWeights& weights);

// The common characters (GB2312's first level) that the sources read with one of `syllables`
// (word-source spellings) only as a lesser reading, weighing more under another syllable, and
// that `row` does not hold; commonest first (by their heaviest weight), at most `limit`.
std::vector<GbkChar> second_readings(const CharacterWeights& weights, const std::map<GbkChar, std::uint64_t>& heaviest,
                                     const std::vector<std::string>& syllables, const std::vector<GbkChar>& row,
                                     std::size_t limit);

// The given rows as they are; for the other keys, none already in the key's own row: up to
// kMaxDrawnAdditions characters of their confusable syllables, heaviest first, then up to
// kMaxNearAdditions of each near syllable, then up to kMaxSecondReadings characters read with a
// confusable or near syllable as a second reading, which the weight order never reaches.
// Keys without any addition get no entry. Sorted by syllable text (strcmp).
std::vector<AccentEntry> build_accent_additions(const DanRows& rows, const CharacterWeights& weights);

}  // namespace tavgen
