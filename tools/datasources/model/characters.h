// What the tables know of each character, merged from the sources: its readings in order of
// use, its weights per syllable in the word source, its traditional forms and GB membership.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/datasources/model/sources.h"

namespace datasources {

struct CharInfo {
  std::string text;  // UTF-8
  // Every reading: the customary one first, then those of word-frequency studies, of modern
  // dictionaries and of the historical dictionary; within each, the syllables used most in
  // the word source first.
  std::vector<Reading> readings;
  // Syllables of readings in current use (all but the historical dictionary's) and of the
  // word source; the tables offer the character under these.
  std::set<std::string> current_syllables;
  std::set<std::string> historical_syllables;
  std::map<std::string, std::uint32_t> weights;  // syllable -> weight in the word source
  std::vector<std::string> traditional;          // the usual form first
  bool gb2312 = false;
  bool gbk = false;  // encodable in GBK, as two bytes
  std::string cangjie;
  int frequency = 0;  // 1 (most used) to 5; 0 unknown

  // The syllables the pinyin table offers the character under: the current ones, or the
  // historical ones for a character that has no other.
  const std::set<std::string>& table_syllables() const {
    return current_syllables.empty() ? historical_syllables : current_syllables;
  }
  // The tones the character is read with under `syllable` (bits 1, 2, 4, 8 for tones 1-4;
  // 0 for the neutral tone alone); 15 when no reading gives the syllable a tone.
  std::uint8_t tone_mask(const std::string& syllable) const;
  std::uint32_t weight(const std::string& syllable) const {
    auto found = weights.find(syllable);
    return found == weights.end() ? 0 : found->second;
  }
};

// UTF-8 text -> what is known of it; only characters with at least one reading.
using CharTable = std::map<std::string, CharInfo>;

CharTable collect_characters(const Sources& sources);

}  // namespace datasources
