// Fixtures of the sentence service tests: a small single-character table written the way the
// generator writes pydan.tab, and a scratch engine around it.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "CoreSource/tests/engine_test_support.h"
#include "sentenceparser/core/dan_table.h"
#include "sentenceparser/core/line_scramble.h"
#include "sentenceparser/core/syllable_list.h"

namespace sentence_service_test {

namespace fs = std::filesystem;

// GBK texts used by the tests.
inline const std::string kNi = "\xC4\xE3";    // 你
inline const std::string kHao = "\xBA\xC3";   // 好
inline const std::string kZhong = "\xD6\xD0";  // 中
inline const std::string kA = "\xB0\xA1";     // 啊

// pydan.tab with one line per syllable number (and the spare row); `characters` gives the GBK
// characters of the syllables that have any.
inline void write_fixture_dan(const fs::path& path,
                              const std::map<std::string, std::string>& characters) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  auto write_line = [&out](std::string line) {
    sentence::encodeline(line.data());
    out << line << '\n';
  };
  for (const char* syllable : sentence::kSyllableTexts) {
    auto found = characters.find(syllable);
    write_line(std::string(syllable) + (found == characters.end() ? "" : found->second));
  }
  write_line("zz");
}

inline const std::map<std::string, std::string>& fixture_characters() {
  static const std::map<std::string, std::string> characters = {
      {"ni", kNi}, {"hao", kHao}, {"zhong", kZhong}, {"aP", kA}};
  return characters;
}

// A scratch HOME with the fixture table loaded; the engine's log kept out of the output.
class SentenceEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    write_fixture_dan(home_.home() / "pydan.tab", fixture_characters());
    ASSERT_EQ(sentence::LoadDanFrom((home_.home() / "pydan.tab").c_str()), 1);
  }
  void TearDown() override { sentence::FreeDan(); }

  engine_test::LogCapture log_;
  engine_test::ScratchHome home_;
};

}  // namespace sentence_service_test
