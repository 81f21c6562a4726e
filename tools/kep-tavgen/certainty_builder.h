// How sure each syllable's default character is, in percent: the given values, and for the
// other syllables the share of the row's first character in the row's whole weight.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "character_weights.h"
#include "dan_rows.h"

namespace tavgen {

struct CertaintyEntry {
  std::string syllable;  // plain text
  int value;
};

// The first character's share of the total, rounded, 1..99. A row that the source does not
// weigh at all counts its characters as equally likely.
int certainty_share(std::uint64_t first_weight, std::uint64_t total_weight, std::size_t characters);

bool has_no_certainty(std::string_view plain_syllable);

// Sorted by syllable text (byte order, as strcmp).
std::vector<CertaintyEntry> build_certainties(const DanRows& rows, const CharacterWeights& weights);

}  // namespace tavgen
