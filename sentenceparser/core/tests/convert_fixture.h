// A small single-character table for the convert and driver tests: a pydan.tab written the
// way the generator writes it, with characters only for the syllables a test names.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "sentenceparser/core/dan_table.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/line_scramble.h"
#include "sentenceparser/core/syllable_list.h"
#include "sentenceparser/core/tests/character_readings_fixture.h"
#include "CoreSource/base/tablefile.h"

namespace sentence::testing {

// Syllable text (as numbered: "eQ" for e) -> its GBK characters, default first.
using DanRows = std::map<std::string, std::string>;

class DanTableFixture : public ::testing::Test {
 protected:
  // Loads the table and writes the character readings it implies into this fixture's folder,
  // which becomes the data path.
  void LoadRows(const DanRows& rows) {
    if (folder_.empty()) {
      char pattern[] = "/tmp/kep-convert-XXXXXX";
      ASSERT_NE(mkdtemp(pattern), nullptr);
      folder_ = pattern;
    }
    const std::string path = folder_ + "/pydan.tab";
    std::ofstream out(path, std::ios::binary);
    for (const char* syllable : kSyllableTexts) {
      std::string line = syllable;
      if (auto it = rows.find(syllable); it != rows.end()) line += it->second;
      line.push_back('\0');
      encodeline(line.data());
      line.pop_back();
      out << line << '\n';
    }
    out.close();
    FreeDan();
    ASSERT_EQ(LoadDanFrom(path.c_str()), 1);
    std::filesystem::create_directories(folder_ + "/main");
    std::ofstream(folder_ + "/" + kCharacterReadingsName, std::ios::binary)
        << sentence_test::readings_of_rows(rows);
    std::snprintf(data_path_, sizeof data_path_, "%s/", folder_.c_str());
    InputProperty.DataPath = data_path_;
  }

  void TearDown() override {
    FreeDan();
    CloseCachedFilePool();
    if (InputProperty.DataPath == data_path_) InputProperty.DataPath = nullptr;
    if (!folder_.empty()) std::filesystem::remove_all(folder_);
    std::memset(NCM, 0, sizeof NCM);
    CurrentItem = 0;
  }

 private:
  std::string folder_;
  char data_path_[512] = {};
};

// GBK bytes used by the tests.
inline constexpr char kNi[] = "\xC4\xE3";    // 你
inline constexpr char kHao[] = "\xBA\xC3";   // 好
inline constexpr char kGe[] = "\xB8\xF6";    // 个
inline constexpr char kDiLow[] = "\xB5\xCD"; // 低
inline constexpr char kYuFish[] = "\xD3\xE3"; // 鱼
inline constexpr char kMaMother[] = "\xC2\xE8"; // 妈
inline constexpr char kFiller[] = "\xB0\xA1";  // 啊

inline std::string item_character(const Item& item) {
  std::string text;
  for (unsigned char byte : item.character) {
    if (byte != 0) text.push_back(static_cast<char>(byte));
  }
  return text;
}

inline std::string item_letters(const Item& item) {
  return std::string(item.letters, strnlen(item.letters, sizeof item.letters));
}

}  // namespace sentence::testing
