#include "certainty_builder.h"

#include <algorithm>
#include <map>

#include "given_rows.h"

namespace tavgen {

int certainty_share(std::uint64_t first_weight, std::uint64_t total_weight, std::size_t characters) {
  std::uint64_t percent;
  if (total_weight == 0) {
    percent = characters == 0 ? 0 : (100 + characters / 2) / characters;
  } else {
    first_weight = std::min(first_weight, total_weight);
    // Rounded without overflow for any weights the sources hold.
    const long double share = static_cast<long double>(first_weight) * 100.0L / total_weight;
    percent = static_cast<std::uint64_t>(share + 0.5L);
  }
  return static_cast<int>(std::clamp<std::uint64_t>(percent, 1, 99));
}

bool has_no_certainty(std::string_view plain) {
  if (plain.empty()) return true;  // the marked letter-only items
  const auto none = syllables_without_certainty();
  return std::find(none.begin(), none.end(), plain) != none.end();
}

std::vector<CertaintyEntry> build_certainties(const DanRows& rows, const CharacterWeights& weights) {
  std::map<std::string, int> values;  // ordered by byte value, as strcmp orders
  for (int n = 0; n < kDanLines - 1; ++n) {
    const std::string plain = plain_syllable(rows.texts[n]);
    const std::vector<GbkChar>& characters = rows.characters[n];
    if (has_no_certainty(plain) || characters.empty()) continue;
    const std::string source = source_syllable(rows.texts[n]);
    std::uint64_t total = 0;
    for (GbkChar character : characters) total += weights.weight(source, character);
    values[plain] = certainty_share(weights.weight(source, characters.front()), total, characters.size());
  }
  for (const GivenCertainty& given : given_certainties()) values[std::string(given.syllable)] = given.value;
  std::vector<CertaintyEntry> entries;
  for (auto& [syllable, value] : values) entries.push_back({syllable, value});
  return entries;
}

}  // namespace tavgen
