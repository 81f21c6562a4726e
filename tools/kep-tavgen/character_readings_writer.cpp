#include "character_readings_writer.h"

#include <array>
#include <cstdint>

#include "sentenceparser/core/line_scramble.h"
#include "sentenceparser/core/reading_library_layout.h"

namespace tavgen {

namespace {

bool storable(const std::string& syllable) {
  if (syllable.empty() || syllable.size() > sentence::kCharacterReadingBytes) return false;
  for (char c : syllable) {
    if (c < 'a' || c > 'z') return false;
  }
  return true;
}

struct Best {
  const std::string* syllable = nullptr;
  std::uint64_t weight = 0;
};

// One pass over the weights for every character: syllables come in alphabetical order and only
// a strictly heavier one replaces the choice, which gives the documented tie rule.
std::array<Best, kGb2312HanziCount> best_readings(const CharacterWeights& weights) {
  std::array<Best, kGb2312HanziCount> best{};
  for (const auto& [syllable, characters] : weights.syllables()) {
    if (!storable(syllable)) continue;
    for (const auto& [character, weight] : characters) {
      const int sequence = gb2312_sequence(character);
      if (sequence == 0) continue;
      Best& slot = best[sequence - 1];
      if (slot.syllable == nullptr || weight > slot.weight) slot = {&syllable, weight};
    }
  }
  return best;
}

}  // namespace

std::string most_common_reading(const CharacterWeights& weights, GbkChar character) {
  const int sequence = gb2312_sequence(character);
  if (sequence == 0) return {};
  const Best best = best_readings(weights)[sequence - 1];
  return best.syllable == nullptr ? std::string() : *best.syllable;
}

CharacterReadings write_character_readings(const CharacterWeights& weights) {
  const std::array<Best, kGb2312HanziCount> best = best_readings(weights);
  CharacterReadings out;
  out.bytes.reserve(best.size() * sentence::kCharacterReadingBytes);
  for (const Best& reading : best) {
    std::string record = reading.syllable == nullptr ? std::string() : *reading.syllable;
    out.with_reading += reading.syllable != nullptr;
    record.resize(sentence::kCharacterReadingBytes, '0');
    sentence::encodeline(record.data());
    out.bytes += record;
  }
  return out;
}

}  // namespace tavgen
