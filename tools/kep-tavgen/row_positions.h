// Where each character stands in its syllable's pydan.tab row: the byte a word library stores
// for it.
#pragma once

#include <array>
#include <string>
#include <unordered_map>

#include "character_weights.h"
#include "dan_rows.h"

namespace tavgen {

class RowPositions {
 public:
  // Both are kept by reference and must outlive this object.
  RowPositions(const DanRows& rows, const CharacterWeights& weights);

  enum class Miss { None, NoRow, BeyondRow, NotInRow };

  // The position of `character` read as `syllable`, or the reason there is none: the syllable
  // has no row, the character lies beyond the row's end, or the syllable does not read it.
  Miss position(const std::string& syllable, GbkChar character, int* position) const;

 private:
  const DanRows& rows_;
  const CharacterWeights& weights_;
  std::unordered_map<std::string, int> number_of_;
  std::array<std::unordered_map<GbkChar, int>, kDanLines> positions_;
};

}  // namespace tavgen
