#include "tav_sources.h"

#include <algorithm>
#include <unordered_set>

#include "gap_evidence.h"
#include "tools/datasources/model/characters.h"
#include "tools/datasources/readers/utf8.h"

namespace tavgen {

void append_context_words(const std::vector<datasources::RimeEntry>& entries, std::vector<ContextWord>* words) {
  Gb2312Cache gb2312;
  for (const datasources::RimeEntry& entry : entries) {
    std::optional<std::vector<std::string>> characters = datasources::characters_of(entry.text);
    if (!characters || characters->empty() || characters->size() != entry.syllables.size()) continue;
    ContextWord word;
    word.weight = entry.weight;
    bool usable = true;
    for (std::size_t i = 0; i < characters->size() && usable; ++i) {
      std::optional<GbkChar> code = gb2312((*characters)[i]);
      const std::string& syllable = entry.syllables[i];
      usable = code && !syllable.empty() && syllable[0] >= 'a' && syllable[0] <= 'z';
      if (!usable) break;
      word.characters.push_back(*code);
      word.initials.push_back(syllable[0]);
    }
    if (usable) words->push_back(std::move(word));
  }
}

bool load_tav_sources(const datasources::SourcePaths& paths, const datasources::MergeRules& merge, TavSources* sources,
                      std::string* error) {
  datasources::Sources read;
  if (!datasources::load_unihan(paths.unihan_folder, &read.unihan, error) ||
      !datasources::load_rime_dict(paths.word_dictionary, &read.words, error) ||
      !datasources::load_pinyin_database(paths.phrase_database, merge.min_frequency, &read.database_phrases,
                                         error)) {
    return false;
  }
  const datasources::CharTable characters = datasources::collect_characters(read);
  for (const auto& [text, info] : characters) add_character(info, &sources->weights);

  datasources::MergeReport report;
  const std::vector<datasources::RimeEntry> phrases =
      datasources::merge_database_phrases(read.words, read.database_phrases, characters, merge, &report);
  append_context_words(read.words, &sources->words);
  const std::size_t before = sources->words.size();
  append_context_words(phrases, &sources->words);
  sources->phrases_added = sources->words.size() - before;
  for (datasources::RimeEntry& word : read.words) {
    if (word.syllables.size() >= 2) sources->vocabulary.push_back(std::move(word));
  }
  sources->vocabulary.insert(sources->vocabulary.end(), phrases.begin(), phrases.end());

  const auto starts_with_numeral = [](const std::string& text) {
    const std::optional<std::vector<std::string>> characters = datasources::characters_of(text);
    return characters && !characters->empty() && is_numeral(characters->front());
  };
  std::unordered_set<std::string> known;
  for (const datasources::RimeEntry& word : sources->vocabulary) {
    if (starts_with_numeral(word.text)) known.insert(word.text);
  }
  for (datasources::DatabasePhrase& phrase : read.database_phrases) {
    if (!starts_with_numeral(phrase.text) || known.count(phrase.text) != 0) continue;
    if (std::find(phrase.syllables.begin(), phrase.syllables.end(), "") != phrase.syllables.end()) continue;
    sources->numeral_phrases.push_back({std::move(phrase.text), std::move(phrase.syllables), phrase.frequency});
  }
  return true;
}

}  // namespace tavgen
