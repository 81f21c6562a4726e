#include "row_positions.h"

#include <optional>

#include "library_key.h"

namespace tavgen {

RowPositions::RowPositions(const DanRows& rows, const CharacterWeights& weights) : rows_(rows), weights_(weights) {
  for (int n = 0; n < kDanLines; ++n) {
    number_of_[rows.texts[n]] = n;
    for (std::size_t i = 0; i < rows.characters[n].size(); ++i) positions_[n].emplace(rows.characters[n][i], i);
  }
}

RowPositions::Miss RowPositions::position(const std::string& syllable, GbkChar character, int* position) const {
  std::optional<KeyedSyllable> keyed = keyed_syllable(syllable);
  if (!keyed) return Miss::NoRow;
  auto row = number_of_.find(keyed->marked);
  if (row == number_of_.end()) return Miss::NoRow;
  auto at = positions_[row->second].find(character);
  if (at != positions_[row->second].end()) {
    *position = at->second;
    return Miss::None;
  }
  const auto& all = weights_.syllables();
  auto source = all.find(source_syllable(rows_.texts[row->second]));
  return source != all.end() && source->second.count(character) != 0 ? Miss::BeyondRow : Miss::NotInRow;
}

}  // namespace tavgen
