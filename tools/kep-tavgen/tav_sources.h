// What the generator reads: the character weights per syllable (word source and Unihan merged as
// for the engine's tables) and the words whose character sequences give the context lists.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "character_weights.h"
#include "danmodi_writer.h"
#include "tools/datasources/model/sources.h"
#include "tools/datasources/model/vocabulary.h"
#include "tools/datasources/readers/rime_dict.h"

namespace tavgen {

struct TavSources {
  CharacterWeights weights;
  std::vector<ContextWord> words;
  std::size_t phrases_added = 0;  // phrases of the phrase database among `words`
  // The words of two or more characters of the word source and the merged phrases, on the word
  // source's weight scale: what the word libraries hold.
  std::vector<datasources::RimeEntry> vocabulary;
  // The phrase database's phrases that start with a numeral and that the vocabulary lacks (the
  // merge's cap leaves most of them out), weighed by the database's frequency: more numeral
  // compounds for the words between numbers (gap_evidence.h).
  std::vector<datasources::RimeEntry> numeral_phrases;
};

// Word-source entries as context words; entries with a character outside GB2312, or without one
// syllable per character, are left out.
void append_context_words(const std::vector<datasources::RimeEntry>& entries, std::vector<ContextWord>* words);

// Reads Unihan, the word source and the phrase database (the latter merged by `merge` as the
// engine's generator merges it). false with the reason in `error`.
bool load_tav_sources(const datasources::SourcePaths& paths, const datasources::MergeRules& merge, TavSources* sources,
                      std::string* error);

}  // namespace tavgen
