#include "dan_rows.h"

#include <algorithm>

#include "sentenceparser/core/line_scramble.h"
#include "sentenceparser/core/syllable_list.h"

namespace tavgen {

namespace {

static_assert(sentence::kSyllableTextCount + 1 == kDanLines);

bool is_upper(char c) { return c >= 'A' && c <= 'Z'; }

}  // namespace

std::string plain_syllable(std::string_view row_text) {
  if (row_text.size() == 2 && is_upper(row_text[1])) {
    if (row_text == "aP" || row_text == "eQ" || row_text == "oR") return std::string(row_text.substr(0, 1));
    return {};
  }
  return std::string(row_text);
}

std::string source_syllable(std::string_view row_text) {
  std::string plain = plain_syllable(row_text);
  if (plain == "lue" || plain == "nue") plain[1] = 'v';
  return plain;
}

DanRows build_dan_rows(const CharacterWeights& weights) {
  DanRows rows;
  for (int n = 0; n < sentence::kSyllableTextCount; ++n) {
    rows.texts[n] = sentence::kSyllableTexts[n];
    std::string source = source_syllable(rows.texts[n]);
    if (source.empty()) continue;
    std::vector<GbkChar> characters = weights.ordered(source);
    if (characters.size() > static_cast<std::size_t>(sentence::kDanRowMax)) {
      characters.resize(sentence::kDanRowMax);
    }
    rows.characters[n] = std::move(characters);
  }
  rows.texts[kDanLines - 1] = kSpareRowText;
  return rows;
}

std::string write_pydan(const DanRows& rows) {
  // A line the reader takes in one piece: at most kDanLineMax - 1 bytes before the line end.
  constexpr std::size_t kLineBytes = sentence::kDanLineMax - 1;
  std::string out;
  for (int n = 0; n < kDanLines; ++n) {
    std::string line = rows.texts[n];
    const std::size_t room = line.size() < kLineBytes ? (kLineBytes - line.size()) / 2 : 0;
    const std::size_t count =
        std::min({rows.characters[n].size(), static_cast<std::size_t>(sentence::kDanRowMax), room});
    for (std::size_t i = 0; i < count; ++i) append_gbk(rows.characters[n][i], &line);
    sentence::encodeline(line.data());
    out += line;
    out += '\n';
  }
  return out;
}

}  // namespace tavgen
