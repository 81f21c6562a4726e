#include "gap_evidence.h"

#include <cctype>
#include <optional>
#include <unordered_map>

#include "character_readings_writer.h"
#include "tools/datasources/readers/utf8.h"

namespace tavgen {

namespace {

using Characters = std::vector<std::string>;

std::string joined(const Characters& characters, std::size_t first, std::size_t end) {
  std::string text;
  for (std::size_t i = first; i < end; ++i) text += characters[i];
  return text;
}

void add_seen(const Characters& characters, const std::vector<std::string>& syllables, const std::string& context,
              std::uint64_t weight, GapCandidates* into) {
  std::string key = joined(characters, 0, characters.size());
  for (const std::string& syllable : syllables) key += '\t' + syllable;
  GapCandidate& candidate = (*into)[key];
  if (candidate.characters.empty()) {
    candidate.characters = characters;
    candidate.syllables = syllables;
  }
  if (!context.empty()) candidate.contexts.insert(context);
  candidate.weight += weight;
}

// The readings of GB2312 characters one by one, their most common; nullopt when one has none.
std::optional<std::vector<std::string>> common_readings(const Characters& characters, const CharacterWeights& weights) {
  std::vector<std::string> syllables;
  for (const std::string& character : characters) {
    const std::optional<GbkChar> code = gb2312_of_utf8(character);
    std::string reading = code ? most_common_reading(weights, *code) : std::string();
    if (reading.empty()) return std::nullopt;
    syllables.push_back(std::move(reading));
  }
  return syllables;
}

bool all_gb2312(const Characters& characters) {
  for (const std::string& character : characters) {
    if (!gb2312_of_utf8(character)) return false;
  }
  return true;
}

}  // namespace

bool is_numeral(const std::string& character) {
  static const std::set<std::string> kNumerals = {"〇", "零", "一", "二", "三", "四", "五", "六", "七",
                                                  "八", "九", "十", "百", "千", "万", "亿", "两", "几"};
  return kNumerals.count(character) != 0;
}

void add_numeral_compounds(const std::vector<datasources::RimeEntry>& words, const std::set<std::string>& idioms,
                           GapEvidence* evidence) {
  for (const datasources::RimeEntry& entry : words) {
    if (idioms.count(entry.text) != 0) continue;
    const std::optional<Characters> characters = datasources::characters_of(entry.text);
    if (!characters || characters->size() != entry.syllables.size()) continue;
    const std::size_t n = characters->size();
    std::size_t numerals = 0;
    while (numerals < n && is_numeral((*characters)[numerals])) ++numerals;
    std::size_t end = numerals;
    while (end < n && !is_numeral((*characters)[end])) ++end;
    if (numerals == 0 || end == numerals || end - numerals > kGapWordMax) continue;
    const Characters word(characters->begin() + numerals, characters->begin() + end);
    const std::vector<std::string> syllables(entry.syllables.begin() + numerals, entry.syllables.begin() + end);
    // The numeral next to the word tells how freely it follows numbers: 第二十一章 and 第二十二章
    // are one more chapter each, not one more number the word follows.
    const std::string& before = (*characters)[numerals - 1];
    if (end == n) {
      add_seen(word, syllables, before, entry.weight, &evidence->after_numbers);
    } else if (before != "一" || (*characters)[end] != "一") {
      add_seen(word, syllables, before + "-" + (*characters)[end], entry.weight, &evidence->between_numbers);
    }
  }
}

void add_units(const std::vector<std::string>& units, const CharacterWeights& weights, GapEvidence* evidence) {
  for (const std::string& unit : units) {
    const std::optional<Characters> characters = datasources::characters_of(unit);
    if (!characters || characters->size() != 1 || !all_gb2312(*characters)) continue;
    GapCandidate* known = nullptr;
    for (auto& [key, candidate] : evidence->after_numbers) {
      if (candidate.characters != *characters) continue;
      if (known == nullptr || candidate.contexts.size() > known->contexts.size()) known = &candidate;
    }
    if (known != nullptr) {
      known->unit = true;
      continue;
    }
    const std::optional<std::vector<std::string>> syllables = common_readings(*characters, weights);
    if (!syllables) continue;
    add_seen(*characters, *syllables, "", 0, &evidence->after_numbers);
    for (auto& [key, candidate] : evidence->after_numbers) {
      if (candidate.characters == *characters && candidate.syllables == *syllables) candidate.unit = true;
    }
  }
}

void add_letter_words(const std::vector<std::string>& words, const std::vector<datasources::RimeEntry>& vocabulary,
                      const CharacterWeights& weights, GapEvidence* evidence) {
  std::unordered_map<std::string, const datasources::RimeEntry*> two_character_words;  // heaviest reading
  for (const datasources::RimeEntry& entry : vocabulary) {
    if (entry.syllables.size() != kGapWordMax) continue;
    const datasources::RimeEntry*& kept = two_character_words[entry.text];
    if (kept == nullptr || entry.weight > kept->weight) kept = &entry;
  }
  for (const std::string& word : words) {
    std::size_t letters = 0;
    std::string context;
    while (letters < word.size() && std::isalpha(static_cast<unsigned char>(word[letters]))) {
      context += static_cast<char>(std::tolower(static_cast<unsigned char>(word[letters++])));
    }
    const std::optional<Characters> characters = datasources::characters_of(std::string_view(word).substr(letters));
    if (letters == 0 || !characters || characters->empty() || characters->size() > kGapWordMax ||
        !all_gb2312(*characters)) {
      continue;
    }
    std::optional<std::vector<std::string>> syllables;
    if (auto known = two_character_words.find(joined(*characters, 0, characters->size()));
        known != two_character_words.end()) {
      syllables = known->second->syllables;
    } else {
      syllables = common_readings(*characters, weights);
    }
    if (syllables) add_seen(*characters, *syllables, context, 0, &evidence->after_letters);
  }
}

}  // namespace tavgen
