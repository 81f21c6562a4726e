// Pinyin with tone marks ("xíng", "lǜ", "ńg") turned into the spelling the tables use: a
// toneless syllable with "v" for ü, and a tone 0 (neutral) to 4.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace datasources {

struct Reading {
  std::string syllable;
  int tone = 0;  // 0 neutral, 1-4
  bool operator==(const Reading&) const = default;
  // "xing2", or "de" for the neutral tone.
  std::string text() const { return tone == 0 ? syllable : syllable + std::to_string(tone); }
};

// A tone-marked syllable as its reading; nullopt for one that is not a syllable of the tables
// (for instance a syllable with ê, which the tables have no spelling for).
std::optional<Reading> parse_toned_pinyin(std::string_view text);

// A toneless syllable in the tables' spelling: "ü" and "u" after l and n where it stands for ü
// ("lue", "nue") become "v". Returns the input when it needs no change.
std::string normalize_syllable(std::string_view syllable);

// Whether the single-character tables hold this syllable: every syllable of the syllable code
// table, and the nasal syllables m, n, ng, hm and hng that only single characters use.
bool is_table_syllable(std::string_view syllable);

// Whether the dictionary can key the syllable: a syllable of the tables with a final code
// ("zhong"; not "ng", which has none, nor "fiao", which is no syllable).
bool has_final_code(const std::string& syllable);

}  // namespace datasources
