// The generator's reading of its sources and the tables it makes of them, on small samples in
// the sources' own formats.
#include <gtest/gtest.h>

#include "model/characters.h"
#include "model/tables.h"
#include "sources/opencc_table.h"
#include "sources/rime_dict.h"
#include "sources/toned_pinyin.h"
#include "sources/unihan.h"
#include "table_fixture.h"
#include "writers/system_dictionary.h"

namespace table_test {
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
    std::optional<mkdata::Reading> reading = mkdata::parse_toned_pinyin(c.text);
    if (c.syllable == nullptr) {
      EXPECT_FALSE(reading) << c.text;
      continue;
    }
    ASSERT_TRUE(reading) << c.text;
    EXPECT_EQ(reading->syllable, c.syllable) << c.text;
    EXPECT_EQ(reading->tone, c.tone) << c.text;
  }
  EXPECT_EQ(mkdata::normalize_syllable("nue"), "nve");
  EXPECT_EQ(mkdata::normalize_syllable("jue"), "jue");
}

constexpr const char* kUnihanSample =
    "# comment\n"
    "U+884C\tkMandarin\txíng\n"
    "U+884C\tkHanyuPinlu\txíng(2943) háng(218)\n"
    "U+884C\tkXHC1983\t0442.080:háng 0443.050:hàng 0460.010:xìng 1290.030:xíng\n"
    "U+884C\tkHanyuPinyin\t20811.060:háng,xìng,xíng,hàng,héng\n"
    "U+884C\tkGB0\t4permit\n"
    "U+884C\tkCangjie\tHON\n"
    "U+884C\tkDefinition\tgo; walk\n"
    "U+4E2D\tkMandarin\tzhōng\n"
    "U+4E2D\tkXHC1983\t1494.100:zhōng 1501.040:zhòng\n"
    "U+4E2D\tkGB0\t5448\n"
    "U+4E2D\tkCangjie\tL\n"
    "U+56FD\tkMandarin\tguó\n"
    "U+56FD\tkGB0\t2590\n"
    "U+53D1\tkMandarin\tfā\n"
    "U+53D1\tkXHC1983\t0309.010:fā 0310.020:fà\n"
    "U+53D1\tkGB0\t2229\n"
    "U+53D1\tkTraditionalVariant\tU+767C U+9AEE\n"
    "U+767C\tkMandarin\tfā\n"
    "U+9AEE\tkMandarin\tfà\n"
    "U+9AEE\tkXHC1983\t0310.020:fà\n"
    "U+4E3C\tkMandarin\tjǐng\n";  // outside the word source: a rare character

constexpr const char* kRimeSample =
    "# Rime dictionary\n---\nname: sample\n...\n\n"
    "行\txing\t35822\n行\thang\t3209\n中\tzhong\t243213\n国\tguo\t1000\n发\tfa\t5000\n"
    "中国\tzhong guo\t106588\n中国\tzhong guo\t5\n发行\tfa xing\t900\n"
    "行\tfiao\t3\n丼丼\tjing jing\t1\n虐\tnue\t744\n";

mkdata::Sources sample_sources() {
  mkdata::Sources sources;
  mkdata::parse_unihan_lines(kUnihanSample, &sources.unihan);
  sources.words = mkdata::parse_rime_dict(kRimeSample);
  sources.characters = mkdata::parse_opencc_text("发\t發 髮\n国\t國\n");
  sources.phrases = mkdata::parse_opencc_text("发行\t發行\n");
  return sources;
}

TEST(SourcesTest, UnihanFieldsAreReadWithTheirReadings) {
  mkdata::Sources sources = sample_sources();
  const mkdata::UnihanChar& xing = sources.unihan.at(0x884C);
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
  std::vector<mkdata::RimeEntry> entries = mkdata::parse_rime_dict(kRimeSample);
  ASSERT_EQ(entries.size(), 11u);
  EXPECT_EQ(entries[0].text, "行");
  EXPECT_EQ(entries[5].syllables, (std::vector<std::string>{"zhong", "guo"}));
  EXPECT_EQ(entries[5].weight, 106588u);
  EXPECT_EQ(entries.back().syllables, std::vector<std::string>{"nve"});
}

TEST(SourcesTest, ConversionTablesKeepTheUsualFormFirst) {
  mkdata::VariantTable table = mkdata::parse_opencc_text("发\t發 髮\n后\t後 后\r\n\n\tbad\n");
  EXPECT_EQ(table.size(), 2u);
  EXPECT_EQ(table.at("发"), (std::vector<std::string>{"發", "髮"}));
  EXPECT_EQ(table.at("后"), (std::vector<std::string>{"後", "后"}));
}

TEST(CharacterModelTest, ReadingsAreOrderedByUseAndTonesKept) {
  mkdata::Sources sources = sample_sources();
  mkdata::CharTable characters = mkdata::collect_characters(sources);
  const mkdata::CharInfo& xing = characters.at("行");
  std::vector<std::string> readings;
  for (const mkdata::Reading& r : xing.readings) readings.push_back(r.text());
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

TEST(TableModelTest, CharacterTablesFollowTheReadersRules) {
  mkdata::Sources sources = sample_sources();
  mkdata::CharTable characters = mkdata::collect_characters(sources);
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
  mkdata::Sources sources = sample_sources();
  mkdata::CharTable characters = mkdata::collect_characters(sources);
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
