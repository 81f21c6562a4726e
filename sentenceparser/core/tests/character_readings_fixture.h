// main/mdan.mpy built from a small character table: each character reads as the syllable of
// the row where it stands nearest the front (the lower syllable number on a tie), as the
// generator orders readings by weight.
#pragma once

#include <cctype>
#include <map>
#include <string>
#include <utility>

#include "CoreSource/tables/pinyin_code.h"
#include "sentenceparser/core/line_scramble.h"
#include "sentenceparser/core/reading_library_layout.h"
#include "sentenceparser/core/sp_chars.h"
#include "sentenceparser/core/syllable_numbers.h"

namespace sentence_test {

// `gbk_rows`: syllable text as numbered ("eQ" for e) -> its GBK characters.
inline std::string readings_of_rows(const std::map<std::string, std::string>& gbk_rows) {
  std::map<int, std::pair<std::pair<std::size_t, int>, std::string>> best;  // number -> rank, reading
  for (const auto& [syllable, characters] : gbk_rows) {
    char plain[16] = {};
    ime_dan_to_shuang(syllable.c_str(), plain, 0);
    bool reading = plain[0] != '\0';
    for (const char* c = plain; *c != '\0'; ++c) reading = reading && std::islower(static_cast<unsigned char>(*c));
    if (!reading) continue;
    for (std::size_t at = 0; at + 1 < characters.size(); at += 2) {
      const int number = sentence::ComputeGbNo(characters.c_str() + at);
      if (number < 0) continue;
      const std::pair<std::size_t, int> rank{at, sentence::getpyno(syllable.c_str())};
      auto found = best.find(number);
      if (found == best.end() || rank < found->second.first) best[number] = {rank, plain};
    }
  }
  std::string bytes(6763 * sentence::kCharacterReadingBytes, '0');
  for (const auto& [number, entry] : best) {
    bytes.replace(static_cast<std::size_t>(number) * sentence::kCharacterReadingBytes, entry.second.size(),
                  entry.second);
  }
  sentence::encodeline(bytes.data());
  return bytes;
}

}  // namespace sentence_test
