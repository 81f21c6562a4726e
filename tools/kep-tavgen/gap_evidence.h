// What the sources say stands between fixed items of a sentence: the words seen after numbers
// (measure words and units: 三个, 五道, 十米 give 个, 道, 米), between numbers (一到两年 gives
// 到) and after Latin letters (friso's mixed words: A股, X光 give 股, 光), each with the
// distinct numerals or letters it was seen after and the summed weight of the words it came from.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "character_weights.h"
#include "tools/datasources/readers/rime_dict.h"

namespace tavgen {

// Words of one or two characters at most stand in a gap.
inline constexpr std::size_t kGapWordMax = 2;

struct GapCandidate {
  std::vector<std::string> characters;  // UTF-8, one per syllable
  std::vector<std::string> syllables;
  std::set<std::string> contexts;       // the numerals (pairs of numerals) or letters around it
  std::uint64_t weight = 0;             // summed over the words it came from
  bool unit = false;                    // listed in friso's unit lexicon
};

// By characters and syllables.
using GapCandidates = std::map<std::string, GapCandidate>;

struct GapEvidence {
  GapCandidates after_numbers;
  GapCandidates between_numbers;
  GapCandidates after_letters;
};

// Whether a UTF-8 character is a Chinese numeral (一..九, 十, 百, 千, 万, 亿, 两, 零, 〇, 几).
bool is_numeral(const std::string& character);

// Numeral compounds: a word that starts with numerals followed by one or two other characters
// (三个, 十五分钟) gives those characters as seen after the last numeral; one whose numerals are
// followed by one or two other characters and a numeral again (一到两年, 三分之一) gives them as
// seen between the two numerals next to them, except in the frame 一X一 (一天一, 一道一道), where
// 一 counts no number. Words in `idioms` (set phrases: 千刀万剐, 说三道四) are no evidence.
void add_numeral_compounds(const std::vector<datasources::RimeEntry>& words, const std::set<std::string>& idioms,
                           GapEvidence* evidence);

// friso's units (one GB2312 character each; others are skipped), as seen after numbers: read as
// the numeral compounds read them, else by their most common reading.
void add_units(const std::vector<std::string>& units, const CharacterWeights& weights, GapEvidence* evidence);

// friso's mixed words of Latin letters and one or two GB2312 characters after them (a股, ip地址),
// the characters as seen after the letters (folded to lower case): read as the vocabulary reads
// the characters as one word, else each by its most common reading.
void add_letter_words(const std::vector<std::string>& words, const std::vector<datasources::RimeEntry>& vocabulary,
                      const CharacterWeights& weights, GapEvidence* evidence);

}  // namespace tavgen
