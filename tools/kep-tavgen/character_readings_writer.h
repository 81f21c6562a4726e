// main/mdan.mpy: the most common reading of every GB2312 hanzi, what the service falls back to
// when it turns a character that no word covers back into pinyin.
#pragma once

#include <cstddef>
#include <string>

#include "character_weights.h"

namespace tavgen {

// The character's heaviest syllable; among equally heavy ones the first in alphabetical order,
// so the choice does not depend on the order the sources list readings in. Syllables that are
// not 1..6 lower-case letters are never chosen. "" when the character has no reading.
std::string most_common_reading(const CharacterWeights& weights, GbkChar character);

struct CharacterReadings {
  std::string bytes;              // 6 bytes per hanzi in GB2312 order, line-substituted
  std::size_t with_reading = 0;   // hanzi given a reading
};

CharacterReadings write_character_readings(const CharacterWeights& weights);

}  // namespace tavgen
