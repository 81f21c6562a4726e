// The table of suggested splits (pysuggest.txt): for every word of the word source whose joined
// pinyin the splitter cuts differently from the word's own syllables, the word's reading
// ("xian": xi'an for 西安); and for every two syllables that both have characters in the
// source and whose joined letters the splitter cuts otherwise, that pair ("nian": ni'an).
// Where readings share the letters, words win over mere pairs, then the heavier one wins.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/datasources/readers/rime_dict.h"

namespace mkdata {

struct SuggestionReport {
  std::size_t words_checked = 0;  // words of two or more syllables the table could hold
  std::size_t pairs_checked = 0;  // pairs of syllables that both have characters
  std::size_t entries = 0;
};

// (letters, syllables joined with "'") in letter order.
std::vector<std::pair<std::string, std::string>> build_split_suggestions(
    const std::vector<datasources::RimeEntry>& words, SuggestionReport* report);

}  // namespace mkdata
