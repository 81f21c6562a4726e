// Fixtures shared by the core tests: GBK text from UTF-8 literals, a pydan.tab writer and a
// scratch folder whose pooled files are dropped at the end of each test.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "CoreSource/base/tablefile.h"
#include "CoreSource/tables/pinyin_code.h"
#include "CoreSource/tests/engine_test_support.h"
#include "platform/text.h"
#include "sentenceparser/core/dan_table.h"
#include "sentenceparser/core/line_scramble.h"
#include "sentenceparser/core/syllable_list.h"
#include "sentenceparser/core/syllable_numbers.h"
#include "sentenceparser/core/tests/character_readings_fixture.h"
#include "sentenceparser/core/engine_state.h"

namespace sentence_test {

inline std::string gbk(const std::string& utf8) {
  auto converted = platform::text::from_utf8(utf8, platform::text::Encoding::Gbk);
  if (!converted) throw std::runtime_error("no GBK form: " + utf8);
  return *converted;
}

inline std::string utf8(const std::string& gbk_text) {
  auto converted = platform::text::to_utf8(gbk_text, platform::text::Encoding::Gbk);
  return converted ? *converted : "<invalid GBK>";
}

// One stored line: the plain text through the line substitution.
inline std::string scrambled(std::string plain) {
  sentence::encodeline(plain.data());
  return plain;
}

using Rows = std::map<std::string, std::string>;  // syllable text -> characters

inline Rows in_gbk(const Rows& utf8_rows) {
  Rows rows;
  for (const auto& [syllable, characters] : utf8_rows) rows[syllable] = gbk(characters);
  return rows;
}

// pydan.tab with `lines` lines; line n names syllable n and holds the GBK characters given for
// it, or none. Lines end in CR LF, as files written elsewhere may.
inline std::string pydan_bytes(const Rows& gbk_rows, int lines = sentence::kSyllableTextCount) {
  std::string text;
  for (int n = 0; n < lines; ++n) {
    const std::string syllable = n < sentence::kSyllableTextCount ? sentence::kSyllableTexts[n] : "zz";
    auto found = gbk_rows.find(syllable);
    text += scrambled(syllable + (found == gbk_rows.end() ? "" : found->second)) + "\r\n";
  }
  return text;
}

inline std::string pydan_text(const Rows& utf8_rows, int lines = sentence::kSyllableTextCount) {
  return pydan_bytes(in_gbk(utf8_rows), lines);
}

// The two-byte code the word search stores for a syllable.
inline std::string code_of(const char* syllable) {
  char initial = 0, code = 0;
  ime_decompose_py(syllable, &initial, &code);
  return {initial, code};
}

inline std::string row_text(const std::string& syllable) {
  const int number = sentence::getpyno(syllable.c_str());
  const char* characters = number >= 0 ? sentence::DanTab[number].characters : nullptr;
  return characters ? utf8(characters) : std::string();
}

// A scratch folder; the table and the pooled files are released after each test.
class CoreTest : public ::testing::Test {
 protected:
  void TearDown() override {
    sentence::FreeDan();
    CloseCachedFilePool();
    if (sentence::InputProperty.DataPath == data_path_) sentence::InputProperty.DataPath = nullptr;
  }
  std::string write(const std::string& name, const std::string& contents) {
    engine_test::write_file(dir_ / name, contents);
    return (dir_ / name).string();
  }
  void load_table(const Rows& utf8_rows) { load_gbk_table(in_gbk(utf8_rows)); }
  void load_gbk_table(const Rows& gbk_rows) {
    const std::string path = write("pydan.tab", pydan_bytes(gbk_rows));
    ASSERT_EQ(sentence::LoadDanFrom(path.c_str()), 1);
  }
  // Writes the character readings the table implies and makes the scratch folder the data path.
  void use_table_readings(const Rows& utf8_rows) {
    write(sentence::kCharacterReadingsName, readings_of_rows(in_gbk(utf8_rows)));
    std::snprintf(data_path_, sizeof data_path_, "%s/", dir_.path().c_str());
    sentence::InputProperty.DataPath = data_path_;
  }
  engine_test::TempDir dir_;

 private:
  char data_path_[512] = {};
};

}  // namespace sentence_test
