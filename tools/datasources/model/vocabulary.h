// The phrase database merged into the word source: which of its phrases the system dictionary
// takes, and the weight each gets on the word source's scale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "tools/datasources/model/characters.h"
#include "tools/datasources/readers/pinyin_database.h"
#include "tools/datasources/readers/rime_dict.h"

namespace datasources {

// A monotone map from the phrase database's frequencies to the word source's weights, fitted
// over the words both sources hold: adjacent frequencies are pooled until the mean logarithm of
// the weights never falls as the frequency rises (isotonic regression); a pool's frequencies all
// map to its mean, a frequency between two pools is interpolated on the logarithm, and outside
// the fitted range the ends hold.
class WeightMap {
 public:
  // (frequency, weight) of each word both sources hold.
  static WeightMap fit(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& pairs);
  std::uint32_t operator()(std::uint32_t frequency) const;
  bool empty() const { return points_.empty(); }

 private:
  std::vector<std::pair<double, double>> points_;  // (frequency, log weight), neither falling
};

struct MergeRules {
  // The engine composes a sentence from the longest phrase at each position, so a phrase of
  // this many characters or more takes over its letters wherever they are typed: such phrases
  // need the higher floor.
  static constexpr std::size_t kLongPhrase = 4;
  std::uint32_t min_frequency = 0;       // phrases below it were not read
  std::uint32_t min_long_frequency = 0;  // long phrases below it are left out
  std::size_t max_phrases = 0;           // the most frequent phrases the word source lacks
};

struct MergeReport {
  std::size_t read = 0;
  std::size_t long_below_floor = 0;
  std::size_t not_gbk = 0;        // a character without a two-byte GBK form or a reading
  std::size_t no_final_code = 0;  // a syllable the dictionary cannot key
  std::size_t known = 0;          // the word source has the word with these syllables
  std::size_t capped = 0;         // left out by the size cap
  std::size_t added = 0;
};

// The phrases the word source lacks, as words with weights on its scale, the most frequent
// `max_phrases` of them.
std::vector<RimeEntry> merge_database_phrases(const std::vector<RimeEntry>& words,
                                              const std::vector<DatabasePhrase>& phrases,
                                              const CharTable& characters, const MergeRules& rules,
                                              MergeReport* report);

}  // namespace datasources
