// Word-library fixtures written byte by byte, so a test can give any record order and any
// damage, with the data path and both word caches set up around each test.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/library_layout.h"
#include "sentenceparser/core/syllable_numbers.h"
#include "sentenceparser/core/tests/core_test_support.h"
#include "sentenceparser/core/word_cache.h"
#include "tools/kep-tavgen/library_key.h"

namespace sentence_test {

// The byte that stores a position or weight.
inline char stored(int value) {
  const int byte = sentence::stored_byte_of(value);
  if (byte < 0) throw std::invalid_argument("value has no stored form");
  return static_cast<char>(byte);
}

// A word key as the segmentation builds it (the generator keys its libraries the same way).
inline std::string word_key(const std::vector<std::string>& syllables) {
  auto key = tavgen::library_word_key(syllables);
  if (!key) throw std::invalid_argument("no word key");
  return *key;
}

inline std::string stored_bytes(const std::vector<int>& values) {
  std::string bytes;
  for (int value : values) bytes += stored(value);
  return bytes;
}

// A main-library record of a key: its compared part, positions, weight, abbreviation weight,
// flags.
inline std::string main_record(const std::string& key, const std::vector<int>& positions,
                               int weight, unsigned char flags, int abbreviation_weight = 1) {
  const int n = static_cast<int>(positions.size());
  const std::string compared = n == 2 ? key.substr(4, 2) : n == 3 ? key.substr(3, 3) : key.substr(4);
  return compared + stored_bytes(positions) + stored(weight) + stored(abbreviation_weight) +
         static_cast<char>(flags);
}

using IndexEntries = std::map<std::int64_t, std::pair<std::uint32_t, std::uint16_t>>;

// Index bytes with 6-byte entries up to the largest number; unnamed entries are empty.
inline std::string index_bytes(const IndexEntries& entries) {
  std::string bytes;
  if (entries.empty()) return bytes;
  bytes.assign(static_cast<std::size_t>((entries.rbegin()->first + 1) * 6), '\0');
  for (const auto& [number, entry] : entries) {
    const std::size_t at = static_cast<std::size_t>(number * 6);
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(entry.first >> (8 * i));
    for (int i = 0; i < 2; ++i) bytes[at + 4 + i] = static_cast<char>(entry.second >> (8 * i));
  }
  return bytes;
}

// Buckets of records (bucket number -> records, in the order given).
using Buckets = std::map<std::int64_t, std::vector<std::string>>;

class LibraryTest : public CoreTest {
 protected:
  void SetUp() override {
    const std::string base = dir_.path().string() + "/";
    std::snprintf(sentence::myFullPath, sizeof sentence::myFullPath, "%s", base.c_str());
    sentence::InputProperty.DataPath = sentence::myFullPath;
    sentence::CurrentItem = 0;
    sentence::MaxWordNum = 7;
  }
  void TearDown() override {
    sentence::FreeCache();
    sentence::FreeJPCache();
    CoreTest::TearDown();
  }
  // Loads the character table, then sizes the caches from it.
  void load_words_table(const Rows& utf8_rows) {
    load_table(utf8_rows);
    sentence::FreeCache();
    sentence::FreeJPCache();
    sentence::incache_init();
    sentence::jpcache_init();
  }
  // The index and data file of a library; every record must have the same width.
  void write_library(const std::string& index, const std::string& data, const Buckets& buckets) {
    IndexEntries entries;
    std::string records;
    std::uint32_t next = 0;
    std::size_t width = 0;
    for (const auto& [number, bucket] : buckets) {
      entries[number] = {next, static_cast<std::uint16_t>(bucket.size())};
      for (const auto& record : bucket) {
        if (width != 0 && record.size() != width) throw std::invalid_argument("record width");
        width = record.size();
        records += record;
        ++next;
      }
    }
    write(index, index_bytes(entries));
    write(data, records);
  }
};

}  // namespace sentence_test
