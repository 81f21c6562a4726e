#include "accent_additions_builder.h"

#include <algorithm>
#include <span>
#include <stdexcept>
#include <utility>

#include "given_rows.h"

namespace tavgen {

namespace {

using Swap = std::pair<std::string_view, std::string_view>;

constexpr Swap kInitialSwaps[] = {
    {"zh", "z"}, {"ch", "c"}, {"sh", "s"}, {"z", "zh"}, {"c", "ch"}, {"s", "sh"},
    {"n", "l"},  {"l", "n"},  {"f", "h"},  {"h", "f"},
};
constexpr Swap kFinalSwaps[] = {
    {"ang", "an"}, {"eng", "en"}, {"ing", "in"}, {"an", "ang"}, {"en", "eng"}, {"in", "ing"},
};
constexpr Swap kNearInitialSwaps[] = {
    {"b", "p"}, {"p", "b"}, {"d", "t"},  {"t", "d"},  {"g", "k"}, {"k", "g"}, {"j", "q"},
    {"q", "j"}, {"z", "c"}, {"c", "z"},  {"zh", "ch"}, {"ch", "zh"}, {"b", "f"}, {"f", "b"},
};
constexpr Swap kNearFinalSwaps[] = {
    {"an", "ai"}, {"ai", "an"}, {"ang", "eng"}, {"eng", "ang"}, {"in", "i"},
    {"ing", "i"}, {"e", "er"},  {"er", "e"},    {"a", "ao"},    {"ao", "a"},
};

bool is_retroflex(std::string_view plain) {
  return plain.size() > 1 && plain[1] == 'h' && (plain[0] == 'z' || plain[0] == 'c' || plain[0] == 's');
}

void add_if_known(std::string candidate, const std::set<std::string>& syllables, std::string_view plain,
                  std::vector<std::string>* out) {
  if (candidate == plain || !syllables.contains(candidate)) return;
  if (std::find(out->begin(), out->end(), candidate) == out->end()) out->push_back(std::move(candidate));
}

// The known syllables that `plain` becomes by one of the initial or final swaps.
std::vector<std::string> swapped(std::string_view plain, std::span<const Swap> initials, std::span<const Swap> finals,
                                 const std::set<std::string>& syllables) {
  std::vector<std::string> out;
  // A retroflex initial is swapped whole: "zhang" gives "zang", never "zhhang".
  for (const auto& [from, to] : initials) {
    if (!plain.starts_with(from) || (from.size() == 1 && is_retroflex(plain))) continue;
    add_if_known(std::string(to) + std::string(plain.substr(from.size())), syllables, plain, &out);
  }
  for (const auto& [from, to] : finals) {
    if (!plain.ends_with(from)) continue;
    add_if_known(std::string(plain.substr(0, plain.size() - from.size())) + std::string(to), syllables, plain,
                 &out);
  }
  return out;
}

// GB2312's first level: the common characters, in reading order.
constexpr int kFirstLevelCount = 3755;

bool is_common(GbkChar character) {
  const int sequence = gb2312_sequence(character);
  return sequence > 0 && sequence <= kFirstLevelCount;
}

bool holds(const std::vector<GbkChar>& list, GbkChar character) {
  return std::find(list.begin(), list.end(), character) != list.end();
}

// Appends up to `limit` of `candidates` (in their order) that neither `own` nor `out` holds.
void draw(const std::vector<GbkChar>& candidates, const std::vector<GbkChar>& own, std::size_t limit,
          std::vector<GbkChar>* out) {
  std::size_t taken = 0;
  for (GbkChar character : candidates) {
    if (taken >= limit) break;
    if (holds(own, character) || holds(*out, character)) continue;
    out->push_back(character);
    ++taken;
  }
}

// The characters of the confusable rows, heaviest first under the syllable they come from.
std::vector<GbkChar> confusable_candidates(const std::vector<std::string>& others,
                                           const std::map<std::string, std::size_t>& row_of, const DanRows& rows,
                                           const CharacterWeights& weights) {
  std::vector<std::pair<GbkChar, std::uint64_t>> weighted;
  for (const std::string& other : others) {
    const int n = static_cast<int>(row_of.at(other));
    const std::string source = source_syllable(rows.texts[n]);
    for (GbkChar character : rows.characters[n]) weighted.emplace_back(character, weights.weight(source, character));
  }
  std::stable_sort(weighted.begin(), weighted.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
  std::vector<GbkChar> out;
  out.reserve(weighted.size());
  for (const auto& entry : weighted) out.push_back(entry.first);
  return out;
}

}  // namespace

std::vector<std::string> confusable_syllables(std::string_view plain, const std::set<std::string>& syllables) {
  return swapped(plain, kInitialSwaps, kFinalSwaps, syllables);
}

std::vector<std::string> near_syllables(std::string_view plain, const std::set<std::string>& syllables) {
  const std::vector<std::string> confusable = confusable_syllables(plain, syllables);
  std::vector<std::string> out;
  for (std::string& other : swapped(plain, kNearInitialSwaps, kNearFinalSwaps, syllables)) {
    if (std::find(confusable.begin(), confusable.end(), other) == confusable.end()) out.push_back(std::move(other));
  }
  return out;
}

std::map<GbkChar, std::uint64_t> heaviest_weights(const CharacterWeights& weights) {
  std::map<GbkChar, std::uint64_t> heaviest;
  for (const auto& [syllable, characters] : weights.syllables()) {
    for (const auto& [character, weight] : characters) {
      std::uint64_t& best = heaviest[character];
      best = std::max(best, weight);
    }
  }
  return heaviest;
}

std::vector<GbkChar> second_readings(const CharacterWeights& weights, const std::map<GbkChar, std::uint64_t>& heaviest,
                                     const std::vector<std::string>& syllables, const std::vector<GbkChar>& row,
                                     std::size_t limit) {
  std::map<GbkChar, std::uint64_t> found;
  for (const std::string& syllable : syllables) {
    auto read = weights.syllables().find(syllable);
    if (read == weights.syllables().end()) continue;
    for (const auto& [character, weight] : read->second) {
      const std::uint64_t best = heaviest.at(character);
      if (weight < best && is_common(character) && !holds(row, character)) found.emplace(character, best);
    }
  }
  std::vector<std::pair<GbkChar, std::uint64_t>> ordered(found.begin(), found.end());
  std::stable_sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
  if (ordered.size() > limit) ordered.resize(limit);
  std::vector<GbkChar> out;
  for (const auto& entry : ordered) out.push_back(entry.first);
  return out;
}

namespace {

// What the additions of every key are drawn from.
struct AdditionSources {
  const DanRows& rows;
  const CharacterWeights& weights;
  std::map<std::string, std::size_t> row_of;  // plain syllable -> row number
  std::set<std::string> with_characters;      // plain syllables whose row is not empty
  std::map<GbkChar, std::uint64_t> heaviest;
};

AdditionSources addition_sources(const DanRows& rows, const CharacterWeights& weights) {
  AdditionSources sources{rows, weights, {}, {}, heaviest_weights(weights)};
  for (int n = 0; n < kDanLines - 1; ++n) {
    std::string plain = plain_syllable(rows.texts[n]);
    if (plain.empty()) continue;
    sources.row_of[plain] = static_cast<std::size_t>(n);
    if (!rows.characters[n].empty()) sources.with_characters.insert(plain);
  }
  return sources;
}

std::vector<GbkChar> drawn_additions(const std::string& plain, const AdditionSources& sources) {
  auto row = sources.row_of.find(plain);
  const std::vector<GbkChar> own =
      row == sources.row_of.end() ? std::vector<GbkChar>{} : sources.rows.characters[row->second];
  std::vector<GbkChar> drawn;
  const std::vector<std::string> confusable = confusable_syllables(plain, sources.with_characters);
  draw(confusable_candidates(confusable, sources.row_of, sources.rows, sources.weights), own, kMaxDrawnAdditions,
       &drawn);
  std::vector<std::string> second_sources;
  for (const std::string& other : confusable) {
    second_sources.push_back(source_syllable(sources.rows.texts[sources.row_of.at(other)]));
  }
  for (const std::string& other : near_syllables(plain, sources.with_characters)) {
    const std::size_t n = sources.row_of.at(other);
    draw(sources.rows.characters[n], own, kMaxNearAdditions, &drawn);
    second_sources.push_back(source_syllable(sources.rows.texts[n]));
  }
  // Asked for as many more as are drawn already, so that repeats still leave the full number.
  draw(second_readings(sources.weights, sources.heaviest, second_sources, own, kMaxSecondReadings + drawn.size()),
       own, kMaxSecondReadings, &drawn);
  const std::size_t room = own.size() < kMaxRowWithAdditions ? kMaxRowWithAdditions - own.size() : 0;
  if (drawn.size() > room) drawn.resize(room);
  return drawn;
}

}  // namespace

std::vector<AccentEntry> build_accent_additions(const DanRows& rows, const CharacterWeights& weights) {
  std::map<std::string, std::vector<GbkChar>> additions;
  for (const GivenAddition& given : given_accent_additions()) {
    std::optional<std::vector<GbkChar>> codes = gb2312_text(given.characters);
    if (!codes) throw std::runtime_error("not GB2312 text: " + std::string(given.characters));
    additions[std::string(given.syllable)] = std::move(*codes);
  }
  const AdditionSources sources = addition_sources(rows, weights);
  for (std::string_view key : accent_addition_keys()) {
    const std::string plain(key);
    if (additions.contains(plain)) continue;
    std::vector<GbkChar> drawn = drawn_additions(plain, sources);
    if (!drawn.empty()) additions[plain] = std::move(drawn);
  }

  std::vector<AccentEntry> entries;
  for (auto& [syllable, characters] : additions) entries.push_back({syllable, std::move(characters)});
  return entries;
}

}  // namespace tavgen
