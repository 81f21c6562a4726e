// The split libraries (cz/qy{n}) and the positional weight table (cz/weight.dat) written as the
// generator lays them out, for the tests of run segmentation.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "sentenceparser/core/chr_substitution.h"
#include "sentenceparser/core/reading_library_layout.h"
#include "sentenceparser/core/sp_chars.h"
#include "sentenceparser/core/tests/hanzi_library_fixture.h"

namespace sentence_test {

struct SplitRun {
  std::string run;  // UTF-8, n characters
  std::uint16_t code;
};

// Index and records of a cz/qy{n} library.
inline std::pair<std::string, std::string> split_library(int n, const std::vector<SplitRun>& runs) {
  std::map<int, std::vector<std::pair<std::string, std::uint16_t>>> groups;
  for (const auto& [run, code] : runs) {
    const std::string text = gbk(run);
    const int number = sentence::ComputeGbNo(text.c_str());
    if (number < 0 || text.size() != static_cast<std::size_t>(2 * n)) {
      throw std::invalid_argument("no split record: " + run);
    }
    groups[number].emplace_back(text.substr(2), code);
  }
  std::string index;
  std::string records;
  std::uint16_t next = 0;
  if (!groups.empty()) index.assign(static_cast<std::size_t>(groups.rbegin()->first + 1) * 4, '\0');
  for (auto& [number, group] : groups) {
    std::sort(group.begin(), group.end(), [](const auto& a, const auto& b) {
      return std::lexicographical_compare(
          a.first.begin(), a.first.end(), b.first.begin(), b.first.end(),
          [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); });
    });
    const std::size_t at = static_cast<std::size_t>(number) * 4;
    index[at] = static_cast<char>(next & 0xFF);
    index[at + 1] = static_cast<char>(next >> 8);
    index[at + 2] = static_cast<char>(group.size() & 0xFF);
    index[at + 3] = static_cast<char>(group.size() >> 8);
    for (auto [key, code] : group) {
      sentence::apply_chr_substitution(reinterpret_cast<unsigned char*>(key.data()), key.size(),
                                       false);
      records += key;
      records += static_cast<char>(code & 0xFF);
      records += static_cast<char>(code >> 8);
      ++next;
    }
  }
  return {index, records};
}

// cz/weight.dat: the five weights of each named character (UTF-8), zero for the others.
inline std::string weight_table(const std::map<std::string, std::array<int, 5>>& weights) {
  std::string table;
  for (const auto& [character, values] : weights) {
    const int number = sentence::ComputeGbNo(gbk(character).c_str());
    if (number < 0) throw std::invalid_argument("no hanzi: " + character);
    const std::size_t at = static_cast<std::size_t>(number) * sentence::kPositionWeightBytes;
    if (table.size() < at + sentence::kPositionWeightBytes) {
      table.resize(at + sentence::kPositionWeightBytes, '\0');
    }
    for (std::size_t k = 0; k < values.size(); ++k) table[at + k] = static_cast<char>(values[k]);
  }
  return table;
}

class SplitLibraryTest : public HanziLibraryTest {
 protected:
  void write_split_library(int n, const std::vector<SplitRun>& runs) {
    const auto [index, records] = split_library(n, runs);
    write(sentence::split_library_name(n, ".inx"), index);
    write(sentence::split_library_name(n, ".lib"), records);
  }
  void write_weights(const std::map<std::string, std::array<int, 5>>& weights) {
    write(sentence::kPositionWeightsName, weight_table(weights));
  }
};

}  // namespace sentence_test
