// Small helpers for the generator's tests: characters by their text, and runs of synthetic
// GB2312 characters for rows and lists that need many.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tools/datasources/readers/utf8.h"
#include "tools/kep-tavgen/character_weights.h"
#include "tools/kep-tavgen/gb2312.h"

namespace tavgen::testing {

inline GbkChar gb(const char* utf8) {
  std::optional<GbkChar> code = gb2312_of_utf8(utf8);
  EXPECT_TRUE(code.has_value()) << utf8;
  return code.value_or(0);
}

inline std::vector<GbkChar> gbs(const char* utf8) {
  std::optional<std::vector<GbkChar>> codes = gb2312_text(utf8);
  EXPECT_TRUE(codes.has_value()) << utf8;
  return codes.value_or(std::vector<GbkChar>{});
}

// The GB2312 character with sequence number `sequence` (1..6763).
// Laid out independently of gb2312_sequence: 94 cells a row, level 1 from 0xB0A1 (its last
// row cut after 0xD7F9), level 2 from 0xD8A1.
inline GbkChar gb2312_by_sequence(int sequence) {
  const int index = sequence <= 3755 ? sequence - 1 : sequence - 3756;
  const int first_row = sequence <= 3755 ? 0xB0 : 0xD8;
  return static_cast<GbkChar>(((first_row + index / 94) << 8) | (0xA1 + index % 94));
}

// Character weights of a few syllables: each row's characters heaviest first.
inline CharacterWeights weights_of_rows(const std::vector<std::pair<const char*, const char*>>& rows) {
  CharacterWeights weights;
  for (const auto& [syllable, characters] : rows) {
    std::uint64_t weight = 1000;
    const std::vector<std::string> each = datasources::characters_of(characters).value_or(std::vector<std::string>{});
    for (const std::string& c : each) weights.add(syllable, gb(c.c_str()), weight--);
  }
  return weights;
}

}  // namespace tavgen::testing
