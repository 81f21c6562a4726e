// Correction and English word files written byte by byte into a private data path (the files
// the lookups find under the word-library folder) and a scratch HOME (the files the resource
// lookup finds in the data folder), so a test can give any record order and any damage.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "CoreSource/base/tablefile.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/tests/core_test_support.h"
#include "sentenceparser/core/tests/library_fixture.h"

namespace sentence_test {

// `text` padded with '0' to `width` bytes.
inline std::string padded(const std::string& text, std::size_t width) {
  if (text.size() > width) throw std::invalid_argument("record text too long: " + text);
  return text + std::string(width - text.size(), '0');
}

// A same-length correction record: the key's codes, then the corrected key.
inline std::string same_length_record(const std::string& key, const std::string& corrected) {
  const std::size_t n = key.size() / 2;
  if (corrected.size() != key.size()) throw std::invalid_argument("corrected key length");
  return key.substr(n) + corrected;
}

// A re-segmentation record of a key: the part after its indexed letters, then the replacement
// padded to the record's width.
inline std::string resegment_record(const std::string& key, const std::string& replacement) {
  static const std::map<std::size_t, std::size_t> kWidths = {
      {2, 10}, {3, 13}, {4, 19}, {5, 21}, {6, 23}, {7, 25}};
  const std::size_t n = key.size() / 2;
  const std::string compared = key.substr(n == 2 ? 2 : 3);
  return compared + padded(replacement, kWidths.at(n) - compared.size());
}

// The stored form of a record of '|'-separated fields or of a padded word rest.
inline std::string stored_record(const std::string& plain, std::size_t width) {
  return scrambled(padded(plain, width));
}

// The index entry of a word's or key's first letters.
inline std::int64_t letters_number(const std::string& text, std::size_t count) {
  std::int64_t number = 0;
  for (std::size_t i = 0; i < count; ++i) number = number * 26 + (text.at(i) - 'a');
  return number;
}

struct GroupFiles {
  std::string index;
  std::string records;
};

// Groups of records in the order given, one after the other in the records file.
inline GroupFiles group_files(const Buckets& groups) {
  IndexEntries entries;
  GroupFiles files;
  std::uint32_t next = 0;
  for (const auto& [number, records] : groups) {
    entries[number] = {next, static_cast<std::uint16_t>(records.size())};
    for (const auto& record : records) files.records += record;
    next += static_cast<std::uint32_t>(records.size());
  }
  files.index = index_bytes(entries);
  return files;
}

class CorrectionTest : public CoreTest {
 protected:
  void SetUp() override {
    const std::string base = dir_.path().string() + "/";
    std::snprintf(sentence::myFullPath, sizeof sentence::myFullPath, "%s", base.c_str());
    sentence::InputProperty.DataPath = sentence::myFullPath;
    sentence::InputProperty.MarkUnresolved = 1;
  }
  void TearDown() override {
    sentence::InputProperty.MarkUnresolved = 1;
    CoreTest::TearDown();
  }
  // Files under the word-library folder (names like "py/em.inx").
  void write_data(const std::string& name, const std::string& bytes) {
    CloseCachedFilePool();
    write(name, bytes);
  }
  void write_data_groups(const std::string& index, const std::string& records,
                         const Buckets& groups) {
    const GroupFiles files = group_files(groups);
    write_data(index, files.index);
    write_data(records, files.records);
  }
  // Files the resource lookup finds in the data folder.
  void write_resource(const std::string& name, const std::string& bytes) {
    CloseCachedFilePool();
    engine_test::write_file(home_.data_folder() / name, bytes);
  }
  void write_resource_groups(const std::string& index, const std::string& records,
                             const Buckets& groups) {
    const GroupFiles files = group_files(groups);
    write_resource(index, files.index);
    write_resource(records, files.records);
  }
  engine_test::ScratchHome home_;
};

}  // namespace sentence_test
