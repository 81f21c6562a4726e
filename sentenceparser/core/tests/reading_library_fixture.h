// The reading libraries written byte by byte as the generator lays them out: main/mdan.mpy and
// tools/dyc{n} / tools/dyz{n}, under a scratch data path.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "CoreSource/tables/pinyin_code.h"
#include "sentenceparser/core/line_scramble.h"
#include "sentenceparser/core/reading_library_layout.h"
#include "sentenceparser/core/sp_chars.h"
#include "sentenceparser/core/tests/library_fixture.h"

namespace sentence_test {

// main/mdan.mpy with the readings given (UTF-8 character -> reading); every other record empty.
inline std::string character_readings(const std::map<std::string, std::string>& readings) {
  std::string plain(6763 * sentence::kCharacterReadingBytes, '0');
  for (const auto& [character, reading] : readings) {
    const int number = sentence::ComputeGbNo(gbk(character).c_str());
    if (number < 0 || reading.size() > sentence::kCharacterReadingBytes) {
      throw std::invalid_argument("no reading record: " + character);
    }
    plain.replace(static_cast<std::size_t>(number) * sentence::kCharacterReadingBytes,
                  reading.size(), reading);
  }
  sentence::encodeline(plain.data());
  return plain;
}

// The stored pairs of a reading "chang-cheng": first letter and rest code per syllable.
inline std::string reading_codes(const std::string& reading) {
  std::string codes;
  std::size_t start = 0;
  while (start <= reading.size()) {
    const std::size_t end = std::min(reading.find('-', start), reading.size());
    char marked[8] = {};
    ime_dan_to_shuang(reading.substr(start, end - start).c_str(), marked, 1);
    char code[8] = {};
    if (ime_trans_ym(marked + 1, code, 0) != 0) throw std::invalid_argument("no code: " + reading);
    codes += marked[0];
    codes += code[0];
    start = end + 1;
  }
  return codes;
}

using WordReadings = std::vector<std::pair<std::string, std::string>>;  // UTF-8 word, reading

// Index and records of a reading library of `n`-character words.
inline std::pair<std::string, std::string> reading_library(const WordReadings& words, int n,
                                                           bool polyphones) {
  std::map<int, std::vector<std::string>> groups;
  for (const auto& [word, reading] : words) {
    const std::string text = gbk(word);
    if (text.size() != static_cast<std::size_t>(2 * n)) throw std::invalid_argument("length: " + word);
    groups[sentence::ComputeGbNo(text.c_str())].push_back(text.substr(2) + reading_codes(reading));
  }
  const std::size_t entry = polyphones ? sentence::kDyzIndexEntryBytes : sentence::kDycIndexEntryBytes;
  std::string index(6763 * entry, '\0');
  std::string records;
  std::uint32_t next = 0;
  for (auto& [number, group] : groups) {
    std::sort(group.begin(), group.end(), [n](const std::string& a, const std::string& b) {
      const std::size_t key = static_cast<std::size_t>(2 * n - 2);
      return std::lexicographical_compare(
          a.begin(), a.begin() + key, b.begin(), b.begin() + key,
          [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); });
    });
    const std::size_t at = static_cast<std::size_t>(number) * entry;
    const std::uint32_t count = static_cast<std::uint32_t>(group.size());
    for (int i = 0; i < 4; ++i) index[at + i] = static_cast<char>(next >> (8 * i));
    for (std::size_t i = 0; i < entry - 4; ++i) index[at + 4 + i] = static_cast<char>(count >> (8 * i));
    for (std::string record : group) {
      sentence::encodeline(record.data());
      records += record;
      ++next;
    }
  }
  return {index, records};
}

class ReadingLibraryTest : public LibraryTest {
 protected:
  void write_character_readings(const std::map<std::string, std::string>& readings) {
    write(sentence::kCharacterReadingsName, character_readings(readings));
  }
  // Writes the library of each word length present in `words`.
  void write_reading_library(bool polyphones, const WordReadings& words) {
    std::map<int, WordReadings> by_length;
    for (const auto& word : words) by_length[static_cast<int>(gbk(word.first).size() / 2)].push_back(word);
    for (const auto& [n, group] : by_length) {
      const auto [index, records] = reading_library(group, n, polyphones);
      write(sentence::reading_library_name(polyphones, n, ".inx"), index);
      write(sentence::reading_library_name(polyphones, n, ".lib"), records);
    }
  }
};

}  // namespace sentence_test
