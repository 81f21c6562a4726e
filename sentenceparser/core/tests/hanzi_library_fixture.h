// Hanzi-keyed libraries written as the generator writes them: 4-byte index entries by the first
// character's number, records of the text after its first character (padded with '0' to the
// width), sorted within a group, stored under the full record substitution.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "sentenceparser/core/chr_substitution.h"
#include "sentenceparser/core/sp_chars.h"
#include "sentenceparser/core/tests/core_test_support.h"
#include "sentenceparser/core/tests/library_fixture.h"

namespace sentence_test {

// Index and records of `words` (UTF-8); `width` bytes per record.
inline std::pair<std::string, std::string> hanzi_library(const std::vector<std::string>& words,
                                                         std::size_t width) {
  std::map<int, std::vector<std::string>> groups;
  for (const auto& word : words) {
    const std::string text = gbk(word);
    const int number = sentence::ComputeGbNo(text.c_str());
    if (number < 0 || text.size() - 2 > width) throw std::invalid_argument("no record: " + word);
    std::string record = text.substr(2);
    record.resize(width, '0');
    groups[number].push_back(record);
  }
  std::string index;
  std::string records;
  std::uint16_t next = 0;
  if (!groups.empty()) index.assign(static_cast<std::size_t>(groups.rbegin()->first + 1) * 4, '\0');
  for (auto& [number, group] : groups) {
    std::sort(group.begin(), group.end(), [](const std::string& a, const std::string& b) {
      return std::lexicographical_compare(
          a.begin(), a.end(), b.begin(), b.end(),
          [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); });
    });
    const std::size_t at = static_cast<std::size_t>(number) * 4;
    index[at] = static_cast<char>(next & 0xFF);
    index[at + 1] = static_cast<char>(next >> 8);
    index[at + 2] = static_cast<char>(group.size() & 0xFF);
    index[at + 3] = static_cast<char>(group.size() >> 8);
    for (std::string record : group) {
      sentence::apply_chr_substitution(reinterpret_cast<unsigned char*>(record.data()),
                                       record.size(), true);
      records += record;
      ++next;
    }
  }
  return {index, records};
}

// A scratch data path for the hanzi-keyed libraries.
class HanziLibraryTest : public LibraryTest {
 protected:
  // `name` without extension, e.g. "cz/cz2"; the files are lower case on disk.
  void write_hanzi_library(const std::string& name, const std::vector<std::string>& words,
                           std::size_t width) {
    const auto [index, records] = hanzi_library(words, width);
    write(name + ".inx", index);
    write(name + ".lib", records);
  }
  void write_word_library(int n, const std::vector<std::string>& words, bool phrases = false) {
    write_hanzi_library(std::string("cz/") + (phrases ? "p" : "") + "cz" + std::to_string(n), words,
                        static_cast<std::size_t>(2 * n - 2));
  }
};

}  // namespace sentence_test
