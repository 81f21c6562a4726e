// The tables the engine's generator makes of its sources, and the system dictionary it writes,
// on small samples in the sources' own formats.
#include <gtest/gtest.h>

#include "model/tables.h"
#include "table_fixture.h"
#include "tools/datasources/model/characters.h"
#include "tools/datasources/tests/sample_sources.h"
#include "writers/system_dictionary.h"

namespace table_test {
namespace {

using datasources_test::sample_sources;

TEST(TableModelTest, CharacterTablesFollowTheReadersRules) {
  datasources::Sources sources = sample_sources();
  datasources::CharTable characters = datasources::collect_characters(sources);
  mkdata::TableContents tables;
  mkdata::build_character_tables(characters, &tables);

  std::vector<std::string> order;
  for (std::size_t i = 0; i < tables.pinyin.size(); ++i) {
    const mkdata::PinyinRecord& r = tables.pinyin[i];
    EXPECT_EQ(r.hanzi_index, i) << "hanzi indexes follow the table";
    if (order.empty() || order.back() != r.syllable) order.push_back(r.syllable);
  }
  std::string error;
  EXPECT_TRUE(mkdata::check_initial_runs(order, &error)) << error;

  auto find = [&](const char* syllable, const char* text) -> const mkdata::PinyinRecord* {
    for (const mkdata::PinyinRecord& r : tables.pinyin) {
      if (r.syllable == syllable && r.simplified == text) return &r;
    }
    return nullptr;
  };
  ASSERT_NE(find("xing", "行"), nullptr);
  ASSERT_NE(find("hang", "行"), nullptr);
  EXPECT_EQ(find("xing", "行")->base_frequency, 35822u);
  EXPECT_EQ(find("xing", "行")->class_digit, '5');
  ASSERT_NE(find("jing", "丼"), nullptr);
  EXPECT_EQ(find("jing", "丼")->class_digit, '0');  // rare: not GB2312, unused in the words
  EXPECT_EQ(find("fa", "发")->traditional, "發");
  EXPECT_EQ(find("fiao", "行"), nullptr);  // no such syllable in the tables

  ASSERT_EQ(tables.extension.size(), 1u);
  EXPECT_EQ(tables.extension[0].simplified, "发");
  EXPECT_EQ(tables.extension[0].traditional, "髮");
  EXPECT_EQ(tables.extension[0].tone_mask, 8);

  auto hanzi = std::find_if(tables.hanzi.begin(), tables.hanzi.end(),
                            [](const QAHzInfoEntry& e) { return e.hanzi == "行"; });
  ASSERT_NE(hanzi, tables.hanzi.end());
  EXPECT_EQ(hanzi->readings[0], "xing2");
  EXPECT_EQ(hanzi->readings[1], "hang2");
  EXPECT_EQ(hanzi->gb_set, '1');
  EXPECT_EQ(tables.accessory.size(), 2u);  // 行 and 中 have Cangjie codes
}

TEST(TableModelTest, WordsCarryTonesAndTraditionalFormsAndStayGbk) {
  datasources::Sources sources = sample_sources();
  datasources::CharTable characters = datasources::collect_characters(sources);
  mkdata::TableContents tables;
  mkdata::build_words(sources, characters, &tables);
  ASSERT_EQ(tables.words.size(), 3u);
  const mkdata::WordListEntry& zhongguo = tables.words[0].word == "中国" ? tables.words[0] : tables.words[1];
  EXPECT_EQ(zhongguo.word, "中国");
  EXPECT_EQ(zhongguo.frequency, 106588u);  // the larger of the two weights
  EXPECT_EQ(zhongguo.tones, "92");  // 中 is read zhong with tones 1 and 4, 国 guo with tone 2
  EXPECT_EQ(zhongguo.second, "中國");
  for (const mkdata::WordListEntry& word : tables.words) {
    if (word.word == "发行") {
      EXPECT_EQ(word.second, "發行");
      EXPECT_EQ(word.tones, "9a");
    }
  }
}

TEST(WordListTest, LinesAreGb18030WithOneToneDigitASyllable) {
  struct Case {
    mkdata::WordListEntry entry;
    std::optional<std::string> line;
  } cases[] = {
      {{{"zhong", "guo"}, "中国", "中國", 7, "12"}, "zhong'guo \xD6\xD0\xB9\xFA \xD6\xD0\x87\xF8 7 12\n"},
      {{{"zhong", "guo"}, "中国", "", 7, "12"}, "zhong'guo \xD6\xD0\xB9\xFA **** 7 12\n"},
      {{{"zhong"}, "中国", "", 7, "1"}, std::nullopt},          // syllables and characters differ
      {{{"a", "b"}, "a中", "", 7, "ff"}, std::nullopt},          // not two bytes a character
      {{{"ge", "ge"}, "𠀀𠀀", "", 7, "ff"}, std::nullopt},        // beyond GBK
      {{{"zhong", "guo"}, "中国", "中國", 7, "1"}, std::nullopt}, // a tone digit missing
  };
  for (const Case& c : cases) {
    EXPECT_EQ(mkdata::write_word_list_line(c.entry), c.line) << c.entry.word;
  }
  struct Tone {
    std::uint8_t mask;
    char digit;
  } tones[] = {{0, '0'}, {1, '1'}, {2, '2'}, {4, '3'}, {8, '4'}, {3, '7'}, {9, '9'}, {10, 'a'}, {15, 'f'}};
  for (const Tone& t : tones) EXPECT_EQ(mkdata::tone_digit(t.mask), t.digit) << int(t.mask);
}

TEST(SystemDictionaryTest, TheBuilderMakesAFolderWithTheWordsAndTheirVersion) {
  engine_test::TempDir dir;
  std::vector<mkdata::WordListEntry> words = {
      {{"zhong", "guo"}, "中国", "中國", 106588, "91"},
      {{"hua", "fei"}, "花费", "", 10, "14"},
      {{"fa", "hui"}, "发挥", "發揮", 20, "11"},
  };
  mkdata::DictionaryReport report;
  std::string error;
  ASSERT_TRUE(mkdata::write_system_dictionary(words, dir.path() / "system.dict", &report, &error)) << error;
  EXPECT_EQ(report.records, 3u);
  EXPECT_EQ(report.rejected, 0u);
  std::string version;
  mkdata::write_word_list(words, &version);
  EXPECT_EQ(read_file(dir.path() / "system.dict/version.info"), version);
  EXPECT_NE(read_file(dir.path() / "system.dict/dict.info").find("TOTAL_COUNT\t3\n"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir.path() / "system.dict/dict_idx.db"));

  // A second build replaces the folder and leaves no work folder behind.
  words.pop_back();
  ASSERT_TRUE(mkdata::write_system_dictionary(words, dir.path() / "system.dict", &report, &error)) << error;
  EXPECT_NE(read_file(dir.path() / "system.dict/dict.info").find("TOTAL_COUNT\t2\n"), std::string::npos);
  int entries = 0;
  for (const auto& entry : fs::directory_iterator(dir.path())) entries += entry.exists();
  EXPECT_EQ(entries, 1);
}

}  // namespace
}  // namespace table_test
