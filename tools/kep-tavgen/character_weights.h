// The weight of each GB2312 character under each syllable it is read with: what every table
// of the generator is ordered by.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "gb2312.h"

namespace datasources {
struct CharInfo;
}

namespace tavgen {

class CharacterWeights {
 public:
  // Syllables are in the word source's spelling ("a", "lve", "zhong"). A character added twice
  // under one syllable keeps the larger weight.
  void add(const std::string& syllable, GbkChar character, std::uint64_t weight);

  std::uint64_t weight(const std::string& syllable, GbkChar character) const;
  // The syllable's characters, heaviest first; equal weights in GB2312 order, which puts the
  // common first level before the second.
  std::vector<GbkChar> ordered(const std::string& syllable) const;
  const std::map<std::string, std::map<GbkChar, std::uint64_t>>& syllables() const { return weights_; }

 private:
  std::map<std::string, std::map<GbkChar, std::uint64_t>> weights_;
};

// Adds a character of the merged sources under every syllable it is offered with (weight 0
// where the word source does not weigh that reading); characters outside GB2312 are skipped.
void add_character(const datasources::CharInfo& info, CharacterWeights* weights);

}  // namespace tavgen
