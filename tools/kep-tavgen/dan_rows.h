// The single-character table the service loads from pydan.tab: one row of characters per
// numbered syllable, heaviest first, and a spare last row.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "character_weights.h"
#include "sentenceparser/core/dan_table.h"

namespace tavgen {

inline constexpr int kDanLines = sentence::kDanRows;  // 433 syllables and the spare row
inline constexpr std::string_view kSpareRowText = "zz";

// The plain syllable of a numbered text: "a" for the one-vowel mark "aP", "" for the marked
// letter-only items ("iA", "uC"), the text itself otherwise.
std::string plain_syllable(std::string_view row_text);

// The word source's syllable whose characters fill the row: the plain syllable, with "lue" and
// "nue" read from "lve" and "nve", where the word source keeps the u-umlaut spellings. The
// service may look up either spelling, so both rows hold the same characters.
std::string source_syllable(std::string_view row_text);

struct DanRows {
  std::array<std::string, kDanLines> texts;                  // as numbered ("aP", "ai", ...)
  std::array<std::vector<GbkChar>, kDanLines> characters;  // at most kDanRowMax each
};

DanRows build_dan_rows(const CharacterWeights& weights);

// pydan.tab: each row's text directly followed by its characters, every line passed through the
// service's line substitution, LF line ends. Rows over kDanRowMax characters are cut.
std::string write_pydan(const DanRows& rows);

}  // namespace tavgen
