#include "writers/split_suggestions.h"

#include <algorithm>
#include <map>

#include "CoreSource/split/py_split_rules.h"
#include "CoreSource/tables/py_syllables.h"

namespace mkdata {

namespace {

// A reading the table may suggest for some letters, and how strongly the word source backs it.
struct Reading {
  std::string split;
  bool word = false;         // a word of the source is read this way, not just two characters
  std::uint32_t weight = 0;  // the word's weight, or the lighter of the two characters' weights

  // A word beats a mere pair of characters; then the heavier one wins; a tie keeps the first.
  bool beats(const Reading& other) const {
    if (word != other.word) return word;
    return weight > other.weight;
  }
};

class SuggestionBuilder {
 public:
  // Offers `syllables` as a reading of their joined letters; kept when the splitter cuts the
  // letters otherwise and no stronger reading of the same letters is known.
  void offer(const std::vector<std::string>& syllables, bool word, std::uint32_t weight) {
    std::string letters;
    std::string split;
    for (const std::string& syllable : syllables) {
      if (!split.empty()) split += "'";
      split += syllable;
      letters += syllable;
    }
    const std::string* greedy = greedy_split(letters);
    if (greedy == nullptr || *greedy == split) return;
    Reading candidate{split, word, weight};
    auto [at, added] = readings_.try_emplace(letters, candidate);
    if (!added && candidate.beats(at->second)) at->second = std::move(candidate);
  }

  std::vector<std::pair<std::string, std::string>> table() {
    std::vector<std::pair<std::string, std::string>> entries;
    entries.reserve(readings_.size());
    for (auto& [letters, reading] : readings_) entries.emplace_back(letters, std::move(reading.split));
    return entries;
  }

 private:
  // The split the engine makes of letters typed plainly (no spelling corrections, no fuzzy
  // pinyin), joined with "'"; NULL when it cannot cut them at all: the engine then shows them
  // raw and a suggestion would never be offered.
  const std::string* greedy_split(const std::string& letters) {
    auto [at, added] = greedy_.try_emplace(letters);
    if (added) {
      std::vector<QAContextToken> tokens;
      if (ime_py_greedy_split(letters, letters, QASplitOptions{}, &tokens)) {
        std::string joined;
        for (const QAContextToken& token : tokens) joined += (joined.empty() ? "" : "'") + token.text;
        at->second = std::move(joined);
      }
    }
    return at->second.empty() ? nullptr : &at->second;
  }

  std::map<std::string, Reading> readings_;
  std::map<std::string, std::string> greedy_;
};

bool whole_syllables(const std::vector<std::string>& syllables) {
  return std::all_of(syllables.begin(), syllables.end(),
                     [](const std::string& syllable) { return ime_py_is_syllable(syllable); });
}

}  // namespace

std::vector<std::pair<std::string, std::string>> build_split_suggestions(
    const std::vector<datasources::RimeEntry>& words, SuggestionReport* report) {
  SuggestionReport counts;
  SuggestionBuilder builder;
  // Each syllable some character of the source is read with, and the weight of its most used one.
  std::map<std::string, std::uint32_t> characters;
  for (const datasources::RimeEntry& word : words) {
    if (!whole_syllables(word.syllables)) continue;
    if (word.syllables.size() == 1) {
      std::uint32_t& heaviest = characters[word.syllables[0]];
      heaviest = std::max(heaviest, word.weight);
      continue;
    }
    std::size_t letters = 0;
    for (const std::string& syllable : word.syllables) letters += syllable.size();
    if (word.syllables.size() > IME_SPLIT_MAX_SYLLABLES || letters > IME_SPLIT_MAX_LETTERS) continue;
    ++counts.words_checked;
    builder.offer(word.syllables, true, word.weight);
  }
  // Any two characters may be typed together, so every pair of syllables that both have
  // characters is a reading of its letters ("nian": ni'an), as strong as its rarer character.
  for (const auto& [first, first_weight] : characters) {
    for (const auto& [second, second_weight] : characters) {
      ++counts.pairs_checked;
      builder.offer({first, second}, false, std::min(first_weight, second_weight));
    }
  }
  auto table = builder.table();
  counts.entries = table.size();
  if (report != nullptr) *report = counts;
  return table;
}

}  // namespace mkdata
