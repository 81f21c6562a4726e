#include "character_weights.h"

#include <algorithm>

#include "tools/datasources/model/characters.h"

namespace tavgen {

void CharacterWeights::add(const std::string& syllable, GbkChar character, std::uint64_t weight) {
  auto [at, added] = weights_[syllable].try_emplace(character, weight);
  if (!added) at->second = std::max(at->second, weight);
}

std::uint64_t CharacterWeights::weight(const std::string& syllable, GbkChar character) const {
  auto row = weights_.find(syllable);
  if (row == weights_.end()) return 0;
  auto found = row->second.find(character);
  return found == row->second.end() ? 0 : found->second;
}

std::vector<GbkChar> CharacterWeights::ordered(const std::string& syllable) const {
  std::vector<GbkChar> characters;
  auto row = weights_.find(syllable);
  if (row == weights_.end()) return characters;
  for (const auto& [character, weight] : row->second) characters.push_back(character);
  // The map is in code order already, so a stable sort keeps GB2312 order among equals.
  std::stable_sort(characters.begin(), characters.end(), [&](GbkChar a, GbkChar b) {
    return row->second.at(a) > row->second.at(b);
  });
  return characters;
}

void add_character(const datasources::CharInfo& info, CharacterWeights* weights) {
  if (!info.gb2312) return;
  std::optional<GbkChar> code = gb2312_of_utf8(info.text);
  if (!code) return;
  for (const std::string& syllable : info.table_syllables()) weights->add(syllable, *code, info.weight(syllable));
  for (const auto& [syllable, weight] : info.weights) weights->add(syllable, *code, weight);
}

}  // namespace tavgen
