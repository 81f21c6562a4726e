#include "sentenceparser/core/hanzi_pinyin.h"

#include <gtest/gtest.h>

#include <string>

#include "sentenceparser/core/tests/reading_library_fixture.h"

namespace {

using namespace sentence;
using sentence_test::gbk;

class HanziPinyinTest : public sentence_test::ReadingLibraryTest {
 protected:
  // GetPyFromBase of a UTF-8 word: its result and reading.
  std::pair<int, std::string> word_reading(const std::string& word, int mode) {
    char out[kWordReadingBytes] = "stale";
    const int result = GetPyFromBase(gbk(word).c_str(), out, mode);
    return {result, out};
  }
};

TEST_F(HanziPinyinTest, CharacterReadingsComeFromTheReadingFile) {
  write_character_readings({{"中", "zhong"}, {"啊", "a"}, {"行", "xing"}, {"女", "nu"}, {"庄", "zhuang"}});
  const std::pair<const char*, const char*> cases[] = {
      {"中", "zhong"}, {"啊", "a"}, {"行", "xing"}, {"庄", "zhuang"},
      {"女", "nv"},  // the fixed readings spell ü 'v' whatever the file says
  };
  for (const auto& [character, reading] : cases) {
    char out[7] = "xxxxxx";
    EXPECT_EQ(GetHzPy(gbk(character).c_str(), out), 1) << character;
    EXPECT_STREQ(out, reading);
  }
}

TEST_F(HanziPinyinTest, FixedReadingsNeedNoFile) {
  const std::pair<const char*, const char*> cases[] = {
      {"女", "nv"}, {"虐", "nve"}, {"略", "lve"}, {"驴", "lv"}, {"绿", "lv"}, {"偻", "lv"}};
  for (const auto& [character, reading] : cases) {
    char out[7] = {};
    EXPECT_EQ(GetHzPy(gbk(character).c_str(), out), 1) << character;
    EXPECT_STREQ(out, reading);
  }
}

TEST_F(HanziPinyinTest, NoReadingLeavesNothingBehind) {
  write_character_readings({{"中", "zhong"}});
  const std::string none[] = {gbk("国"), "\xD7\xFA", "\xB0\xFF", gbk("Ａ"), "ab", "", gbk("，")};
  for (const auto& character : none) {
    char out[7] = "xxxxxx";
    EXPECT_EQ(GetHzPy(character.c_str(), out), 0) << testing::PrintToString(character);
    EXPECT_STREQ(out, "");
  }
}

TEST_F(HanziPinyinTest, DamagedReadingFilesGiveNoReading) {
  char out[7] = {};
  EXPECT_EQ(GetHzPy(gbk("中").c_str(), out), 0);  // no file
  CloseCachedFilePool();
  write(kCharacterReadingsName, std::string(600, '0'));  // ends before 中's record
  EXPECT_EQ(GetHzPy(gbk("中").c_str(), out), 0);
  CloseCachedFilePool();
  std::string odd = sentence_test::character_readings({{"中", "zhong"}});
  const std::size_t at = static_cast<std::size_t>(ComputeGbNo(gbk("中").c_str())) * 6;
  odd.replace(at, 6, "z\xFFng00");
  write(kCharacterReadingsName, odd);
  EXPECT_EQ(GetHzPy(gbk("中").c_str(), out), 0);
  EXPECT_STREQ(out, "");
}

TEST_F(HanziPinyinTest, WordsAreFoundInTheirLengthsLibrary) {
  write_character_readings({{"长", "zhang"}, {"城", "cheng"}, {"银", "yin"}, {"行", "xing"}});
  write_reading_library(false, {{"长城", "chang-cheng"}, {"长大", "zhang-da"}, {"银行", "yin-hang"},
                                {"长江", "chang-jiang"}, {"城市", "cheng-shi"},
                                {"中华人民", "zhong-hua-ren-min"}, {"阿姨", "a-yi"}});
  write_reading_library(true, {{"长城", "chang-cheng"}, {"行长", "hang-zhang"}});
  const struct {
    const char* word;
    int mode;
    int result;
    const char* reading;
  } cases[] = {
      {"长城", 0, 1, "chang-cheng"},  {"长大", 0, 1, "zhang-da"},   {"长江", 0, 1, "chang-jiang"},
      {"银行", 0, 1, "yin-hang"},     {"中华人民", 0, 1, "zhong-hua-ren-min"},
      {"阿姨", 0, 1, "a-yi"},         // one-vowel syllables leave in their plain form
      {"城长", 0, 1, "cheng-zhang"},  // not a word: the characters' own readings
      {"城中", 0, 0, ""},             // and one of them has none
      {"千古", 0, 1, "qian-gu"},      {"秘鲁", 0, 1, "bi-lu"},  // fixed, no library
      {"行长", 1, 1, "hang-zhang"},   {"长城", 1, 1, "chang-cheng"},
      {"银行", 1, 0, ""},             // the polyphone libraries alone, no fallback
      {"行", 1, -1, ""},              {"行", 0, 1, "xing"},
      {"中华人民共和国", 0, -1, ""},  // no library of 7 characters
      {"长城A", 0, -1, ""},           {"中华人民共和国万岁", 0, -1, ""},
  };
  for (const auto& c : cases) {
    const auto [result, reading] = word_reading(c.word, c.mode);
    EXPECT_EQ(result, c.result) << c.word << " mode " << c.mode;
    if (c.result == 1) {
      EXPECT_EQ(reading, c.reading) << c.word;
    }
  }
}

TEST_F(HanziPinyinTest, DamagedLibrariesFindNothingAndReadNothingOutside) {
  write_character_readings({{"长", "zhang"}, {"城", "cheng"}});
  write_reading_library(true, {{"长城", "chang-cheng"}});
  auto [index, records] = sentence_test::reading_library({{"长城", "chang-cheng"}}, 2, true);
  const std::size_t entry = static_cast<std::size_t>(ComputeGbNo(gbk("长").c_str())) * kDyzIndexEntryBytes;
  const struct {
    const char* what;
    std::string index;
    std::string records;
  } damages[] = {
      {"count past the end", std::string(index).replace(entry + 4, 4, "\xFF\xFF\xFF\x7F", 4), records},
      {"first past the end", std::string(index).replace(entry, 4, "\x00\x00\x00\x10", 4), records},
      {"short record", index, records.substr(0, 5)},
      {"record without a reading", index, records.substr(0, 4) + "#@#@"},
      {"index cut short", index.substr(0, entry + 3), records},
  };
  for (const auto& damage : damages) {
    CloseCachedFilePool();
    write(reading_library_name(true, 2, ".inx"), damage.index);
    write(reading_library_name(true, 2, ".lib"), damage.records);
    const auto [result, reading] = word_reading("长城", 1);
    EXPECT_EQ(result, 0) << damage.what;
  }
  CloseCachedFilePool();
  std::filesystem::remove(dir_.path() / reading_library_name(true, 2, ".lib"));
  EXPECT_EQ(word_reading("长城", 1).first, -1);
}

TEST(VoiceNumTest, PolyphonesOfOneCharacter) {
  const std::pair<const char*, int> cases[] = {
      {"长", 2}, {"行", 2}, {"了", 2}, {"阿", 2}, {"钿", 2}, {"城", 1}, {"你", 1},
      {"长城", 0}, {"A", 0}, {"，", 0}, {"", 0}};
  for (const auto& [text, voices] : cases) EXPECT_EQ(GetVoiceNum(gbk(text).c_str()), voices) << text;
  int listed = 0;
  for (const char* p = kPolyphoneCharacters; *p != '\0'; p += 2) {
    EXPECT_EQ(GetVoiceNum(std::string(p, 2).c_str()), 2);
    ++listed;
    if (p[2] == ',') ++p;
  }
  EXPECT_EQ(listed, kPolyphoneCount);
}

}  // namespace
