// The reading of the sources and the character model merged from them, on small samples in the
// sources' own formats.
#include <gtest/gtest.h>

#include <set>

#include "sample_sources.h"
#include "tools/datasources/model/characters.h"
#include "tools/datasources/readers/opencc_table.h"
#include "tools/datasources/readers/rime_dict.h"
#include "tools/datasources/readers/toned_pinyin.h"
#include "tools/datasources/readers/unihan.h"

namespace datasources_test {
namespace {

TEST(TonedPinyinTest, MarksBecomeTonesAndUmlautsV) {
  struct Case {
    const char* text;
    const char* syllable;  // nullptr: refused
    int tone;
  } cases[] = {
      {"xíng", "xing", 2}, {"zhōng", "zhong", 1}, {"lǜ", "lv", 4},   {"nüè", "nve", 4},
      {"lüe", "lve", 0},   {"de", "de", 0},       {"ńg", "ng", 2},   {"m\xCC\x80", "m", 4},
      {"ḿ", "m", 2},       {"hm", "hm", 0},       {"ê\xCC\x84", nullptr, 0},
      {"fiao", nullptr, 0}, {"Xing", nullptr, 0}, {"", nullptr, 0},
  };
  for (const Case& c : cases) {
    std::optional<datasources::Reading> reading = datasources::parse_toned_pinyin(c.text);
    if (c.syllable == nullptr) {
      EXPECT_FALSE(reading) << c.text;
      continue;
    }
    ASSERT_TRUE(reading) << c.text;
    EXPECT_EQ(reading->syllable, c.syllable) << c.text;
    EXPECT_EQ(reading->tone, c.tone) << c.text;
  }
  EXPECT_EQ(datasources::normalize_syllable("nue"), "nve");
  EXPECT_EQ(datasources::normalize_syllable("jue"), "jue");
}

TEST(SourcesTest, UnihanFieldsAreReadWithTheirReadings) {
  datasources::Sources sources = sample_sources();
  const datasources::UnihanChar& xing = sources.unihan.at(0x884C);
  ASSERT_EQ(xing.mandarin.size(), 1u);
  EXPECT_EQ(xing.mandarin[0].text(), "xing2");
  ASSERT_EQ(xing.pinlu.size(), 2u);
  EXPECT_EQ(xing.pinlu[1].second, 218);
  EXPECT_EQ(xing.modern.size(), 4u);
  EXPECT_EQ(xing.historical.size(), 5u);
  EXPECT_TRUE(xing.gb2312);
  EXPECT_EQ(xing.cangjie, "hon");
  EXPECT_EQ(sources.unihan.at(0x53D1).traditional, (std::vector<char32_t>{0x767C, 0x9AEE}));
}

TEST(SourcesTest, RimeEntriesFollowTheHeaderInTheTablesSpelling) {
  std::vector<datasources::RimeEntry> entries = datasources::parse_rime_dict(kRimeSample);
  ASSERT_EQ(entries.size(), 11u);
  EXPECT_EQ(entries[0].text, "行");
  EXPECT_EQ(entries[5].syllables, (std::vector<std::string>{"zhong", "guo"}));
  EXPECT_EQ(entries[5].weight, 106588u);
  EXPECT_EQ(entries.back().syllables, std::vector<std::string>{"nve"});
}

TEST(SourcesTest, ConversionTablesKeepTheUsualFormFirst) {
  datasources::VariantTable table = datasources::parse_opencc_text("发\t發 髮\n后\t後 后\r\n\n\tbad\n");
  EXPECT_EQ(table.size(), 2u);
  EXPECT_EQ(table.at("发"), (std::vector<std::string>{"發", "髮"}));
  EXPECT_EQ(table.at("后"), (std::vector<std::string>{"後", "后"}));
}

TEST(CharacterModelTest, ReadingsAreOrderedByUseAndTonesKept) {
  datasources::Sources sources = sample_sources();
  datasources::CharTable characters = datasources::collect_characters(sources);
  const datasources::CharInfo& xing = characters.at("行");
  std::vector<std::string> readings;
  for (const datasources::Reading& r : xing.readings) readings.push_back(r.text());
  EXPECT_EQ(readings, (std::vector<std::string>{"xing2", "hang2", "xing4", "hang4", "heng2"}));
  EXPECT_EQ(xing.table_syllables(), (std::set<std::string>{"hang", "xing"}));
  EXPECT_EQ(xing.tone_mask("xing"), 2 | 8);
  EXPECT_EQ(xing.tone_mask("hang"), 2 | 8);
  EXPECT_EQ(characters.at("中").tone_mask("zhong"), 1 | 8);
  EXPECT_EQ(characters.at("中").tone_mask("guo"), 15);
  EXPECT_EQ(characters.at("发").traditional, (std::vector<std::string>{"發", "髮"}));
  EXPECT_TRUE(characters.at("丼").gbk);
  EXPECT_FALSE(characters.count("丼丼"));
}

}  // namespace
}  // namespace datasources_test
