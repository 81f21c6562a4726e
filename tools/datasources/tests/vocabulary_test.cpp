// The phrase database's reading and its merge into the word source: readings from the phrase's
// own ids, the rules that refuse a phrase, the size cap and the weight map.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CoreSource/tests/engine_test_support.h"
#include "tools/datasources/model/vocabulary.h"
#include "tools/datasources/readers/pinyin_database.h"

namespace {

using datasources::DatabasePhrase;
using datasources::RimeEntry;

// A database of the phrase source's layout: 银行 read yin hang (y=21 in=40, h=7 ang=27), 行人
// read xing ren, 中国 with a frequency below the floor, one phrase with an id outside the map.
void write_sample_database(const std::string& path) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  const char* sql =
      "CREATE TABLE py_phrase_1 (phrase TEXT, freq INTEGER, s0 INTEGER, y0 INTEGER, s1 INTEGER, y1 INTEGER);"
      "INSERT INTO py_phrase_1 VALUES ('银行', 7000, 21, 40, 7, 27);"
      "INSERT INTO py_phrase_1 VALUES ('行人', 6000, 20, 41, 15, 31);"
      "INSERT INTO py_phrase_1 VALUES ('中国', 900, 23, 45, 6, 55);"
      "INSERT INTO py_phrase_1 VALUES ('绿色', 5000, 10, 56, 16, 29);"
      "INSERT INTO py_phrase_1 VALUES ('略微', 5000, 10, 52, 19, 57);"
      "CREATE TABLE py_phrase_2 (phrase TEXT, freq INTEGER, s0 INTEGER, y0 INTEGER, s1 INTEGER, y1 INTEGER,"
      " s2 INTEGER, y2 INTEGER);"
      "INSERT INTO py_phrase_2 VALUES ('是一个', 8000, 17, 34, 21, 34, 6, 29);";
  char* message = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &message), SQLITE_OK) << (message ? message : "");
  sqlite3_free(message);
  sqlite3_close(db);
}

TEST(PinyinDatabaseTest, ReadsEachPhraseWithItsOwnReadingsAboveTheFloor) {
  engine_test::TempDir dir;
  const std::string path = (dir / "main.db").string();
  write_sample_database(path);
  std::vector<DatabasePhrase> phrases;
  std::string error;
  ASSERT_TRUE(datasources::load_pinyin_database(path, 1000, &phrases, &error)) << error;
  struct Expected {
    const char* text;
    std::vector<std::string> syllables;
    std::uint32_t frequency;
  } expected[] = {
      {"银行", {"yin", "hang"}, 7000},  {"行人", {"xing", "ren"}, 6000},
      {"绿色", {"lv", "se"}, 5000},     {"略微", {"lve", ""}, 5000},
      {"是一个", {"shi", "yi", "ge"}, 8000},
  };
  ASSERT_EQ(phrases.size(), std::size(expected));
  for (std::size_t i = 0; i < phrases.size(); ++i) {
    EXPECT_EQ(phrases[i].text, expected[i].text);
    EXPECT_EQ(phrases[i].syllables, expected[i].syllables) << expected[i].text;
    EXPECT_EQ(phrases[i].frequency, expected[i].frequency) << expected[i].text;
  }
  EXPECT_FALSE(datasources::load_pinyin_database((dir / "missing.db").string(), 0, &phrases, &error));
}

datasources::CharTable characters(std::initializer_list<std::pair<const char*, bool>> gbk) {
  datasources::CharTable table;
  for (const auto& [text, is_gbk] : gbk) {
    table[text].text = text;
    table[text].gbk = is_gbk;
  }
  return table;
}

TEST(VocabularyMergeTest, TakesOnlyGbkPhrasesWithKeyableReadingsTheWordSourceLacks) {
  const datasources::CharTable table = characters({{"银", true}, {"行", true}, {"人", true}, {"苗", true},
                                                   {"条", true}, {"鿏", false}, {"元", true}, {"素", true}});
  const std::vector<RimeEntry> words = {{"银行", {"yin", "hang"}, 500}, {"行人", {"xing", "ren"}, 300}};
  struct Case {
    DatabasePhrase phrase;
    const char* refused;  // nullptr: added
  } cases[] = {
      {{"银行", {"yin", "hang"}, 6000}, "known"},
      {{"银行", {"yin", "xing"}, 4000}, nullptr},  // another reading is another word
      {{"行人", {"hang", "ren"}, 5000}, nullptr},
      {{"鿏元素", {"mai", "yuan", "su"}, 5000}, "not GBK"},
      {{"苗条", {"fiao", "tiao"}, 5000}, "no final code"},
      {{"苗条", {"miao", ""}, 5000}, "no final code"},
      {{"人行", {"ren", "hang"}, 100}, "below the floor"},
      {{"银行行人", {"yin", "hang", "xing", "ren"}, 2000}, "long, below the long floor"},
      {{"行人银行", {"xing", "ren", "yin", "hang"}, 3000}, nullptr},
  };
  std::vector<DatabasePhrase> phrases;
  for (const Case& c : cases) phrases.push_back(c.phrase);
  datasources::MergeReport report;
  const std::vector<RimeEntry> merged =
      datasources::merge_database_phrases(words, phrases, table, {1000, 3000, 10}, &report);

  std::vector<std::pair<std::string, std::vector<std::string>>> expected;
  for (const Case& c : cases) {
    if (c.refused == nullptr) expected.emplace_back(c.phrase.text, c.phrase.syllables);
  }
  std::vector<std::pair<std::string, std::vector<std::string>>> got;
  for (const RimeEntry& entry : merged) got.emplace_back(entry.text, entry.syllables);
  std::sort(expected.begin(), expected.end());
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, expected);
  EXPECT_EQ(report.read, 8u);
  EXPECT_EQ(report.long_below_floor, 1u);
  EXPECT_EQ(report.known, 1u);
  EXPECT_EQ(report.not_gbk, 1u);
  EXPECT_EQ(report.no_final_code, 2u);
  EXPECT_EQ(report.added, 3u);
}

TEST(VocabularyMergeTest, TheCapKeepsTheMostFrequentPhrases) {
  const datasources::CharTable table = characters({{"一", true}, {"二", true}, {"三", true}, {"四", true}});
  const std::vector<DatabasePhrase> phrases = {
      {"一二", {"yi", "er"}, 3000}, {"二三", {"er", "san"}, 5000},
      {"三四", {"san", "si"}, 4000}, {"四一", {"si", "yi"}, 2000}};
  datasources::MergeReport report;
  const std::vector<RimeEntry> merged = datasources::merge_database_phrases({}, phrases, table, {0, 0, 2}, &report);
  ASSERT_EQ(merged.size(), 2u);
  EXPECT_EQ(merged[0].text, "二三");
  EXPECT_EQ(merged[1].text, "三四");
  EXPECT_EQ(report.capped, 2u);
}

TEST(WeightMapTest, IsMonotoneAndPoolsWhereTheWeightsFall) {
  // (frequency, weight) of shared words: 2000 is lighter than 1000, so the two are pooled at
  // their geometric mean, sqrt(100 * 50) = 71.
  const datasources::WeightMap map = datasources::WeightMap::fit(
      {{1000, 100}, {2000, 50}, {3000, 400}, {4000, 1000}, {4000, 4000}, {6000, 5000}});
  EXPECT_EQ(map(0), 71u);
  EXPECT_EQ(map(1000), 71u);
  EXPECT_EQ(map(2000), 71u);
  EXPECT_EQ(map(3000), 400u);
  EXPECT_EQ(map(4000), 2000u);  // the geometric mean of the two words at 4000
  EXPECT_EQ(map(6000), 5000u);
  EXPECT_EQ(map(9000), 5000u);
  // Between two points the map follows the logarithm: halfway from 2000 to 5000 is 3162.
  EXPECT_EQ(map(5000), 3162u);
  for (std::uint32_t f = 50; f <= 7000; f += 50) EXPECT_LE(map(f - 50), map(f)) << f;
}

TEST(WeightMapTest, AMergedPhraseRanksAmongTheSharedWordsByItsFrequency) {
  const datasources::CharTable table = characters({{"甲", true}, {"乙", true}, {"丙", true}, {"丁", true}});
  const std::vector<RimeEntry> words = {{"甲乙", {"jia", "yi"}, 300}, {"丙丁", {"bing", "ding"}, 30000}};
  const std::vector<DatabasePhrase> phrases = {{"甲乙", {"jia", "yi"}, 4000}, {"丙丁", {"bing", "ding"}, 8000},
                                               {"乙丙", {"yi", "bing"}, 6000}, {"丁甲", {"ding", "jia"}, 8500}};
  datasources::MergeReport report;
  const std::vector<RimeEntry> merged = datasources::merge_database_phrases(words, phrases, table, {0, 0, 10}, &report);
  ASSERT_EQ(merged.size(), 2u);
  EXPECT_EQ(merged[0].text, "丁甲");
  EXPECT_EQ(merged[0].weight, 30000u);  // above every shared word: the top of the fitted range
  EXPECT_EQ(merged[1].text, "乙丙");
  EXPECT_EQ(merged[1].weight, 3000u);   // halfway between 300 and 30000 on the logarithm
}

}  // namespace
