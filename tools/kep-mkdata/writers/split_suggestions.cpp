#include "writers/split_suggestions.h"

#include <map>

#include "CoreSource/py_split_rules.h"
#include "CoreSource/py_syllables.h"

namespace mkdata {

namespace {

struct Reading {
  std::string split;
  std::uint32_t weight = 0;
};

// The split the engine makes of letters typed plainly: no spelling corrections, no fuzzy pinyin.
bool plain_split(const std::string& letters, std::vector<QAContextToken>* tokens) {
  return ime_py_greedy_split(letters, letters, QASplitOptions{}, tokens);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> build_split_suggestions(const std::vector<RimeEntry>& words,
                                                                         SuggestionReport* report) {
  SuggestionReport counts;
  std::map<std::string, Reading> readings;
  for (const RimeEntry& word : words) {
    if (word.syllables.size() < 2 || word.syllables.size() > IME_SPLIT_MAX_SYLLABLES) continue;
    std::string letters;
    std::string split;
    bool whole_syllables = true;
    for (const std::string& syllable : word.syllables) {
      whole_syllables = whole_syllables && ime_py_is_syllable(syllable);
      if (!split.empty()) split += "'";
      split += syllable;
      letters += syllable;
    }
    if (!whole_syllables || letters.size() > IME_SPLIT_MAX_LETTERS) continue;
    ++counts.words_checked;

    std::vector<QAContextToken> tokens;
    // Letters the splitter cannot cut at all get no suggestion: the engine shows them raw.
    if (!plain_split(letters, &tokens)) continue;
    std::string greedy;
    for (const QAContextToken& token : tokens) {
      if (!greedy.empty()) greedy += "'";
      greedy += token.text;
    }
    if (greedy == split) continue;
    Reading& reading = readings[letters];
    if (reading.split.empty() || word.weight > reading.weight) reading = Reading{split, word.weight};
  }
  std::vector<std::pair<std::string, std::string>> table;
  table.reserve(readings.size());
  for (auto& [letters, reading] : readings) table.emplace_back(letters, std::move(reading.split));
  counts.entries = table.size();
  if (report != nullptr) *report = counts;
  return table;
}

}  // namespace mkdata
