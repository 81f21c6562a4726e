// The table of suggested splits made from the word source.
#include <gtest/gtest.h>

#include <map>

#include "CoreSource/split/py_suggestions.h"
#include "writers/split_suggestions.h"

namespace {

datasources::RimeEntry word(const char* text, std::vector<std::string> syllables, std::uint32_t weight) {
  datasources::RimeEntry entry;
  entry.text = text;
  entry.syllables = std::move(syllables);
  entry.weight = weight;
  return entry;
}

TEST(SplitSuggestionsTest, WordsTheSplitterCutsOtherwiseBecomeSuggestions) {
  std::vector<datasources::RimeEntry> words = {
      word("西安", {"xi", "an"}, 5000),           // xian is one syllable to the splitter
      word("方案", {"fang", "an"}, 9000),         // the splitter reads fangan this way already
      word("反感", {"fan", "gan"}, 1000),         // ... so the other reading is the suggestion
      word("翻杆", {"fan", "gan"}, 10),
      word("大兴安岭", {"da", "xing", "an", "ling"}, 300),
      word("中国", {"zhong", "guo"}, 9000),       // split as written: no entry
      word("先", {"xian"}, 9000),                 // one syllable: nothing to suggest
      word("嗯啊", {"ng", "a"}, 10),              // a syllable the splitter does not know
  };
  mkdata::SuggestionReport report;
  auto table = mkdata::build_split_suggestions(words, &report);
  std::vector<std::pair<std::string, std::string>> expected = {
      {"daxinganling", "da'xing'an'ling"}, {"fangan", "fan'gan"}, {"xian", "xi'an"}};
  EXPECT_EQ(table, expected);
  EXPECT_EQ(report.words_checked, 6u);
  EXPECT_EQ(report.entries, 3u);

  // The engine's loader takes back every line written.
  std::size_t skipped = 1;
  QASuggestionTable loaded = ime_parse_suggestion_table(ime_format_suggestion_table(table), &skipped);
  EXPECT_EQ(skipped, 0u);
  EXPECT_EQ(loaded.splits.size(), 3u);
  EXPECT_EQ(*ime_find_suggestion(&loaded, "fangan"), "fan'gan");
}

TEST(SplitSuggestionsTest, TwoSyllablesThatBothHaveCharactersAreAReadingOfTheirLetters) {
  std::vector<datasources::RimeEntry> words = {
      word("你", {"ni"}, 9000), word("安", {"an"}, 5000),  word("年", {"nian"}, 8000),
      word("机", {"ji"}, 7000), word("姐", {"jie"}, 6000),
  };
  // No character is read "e": "jie" has no second reading yet.
  std::vector<std::pair<std::string, std::string>> expected = {{"jian", "ji'an"}, {"nian", "ni'an"}};
  EXPECT_EQ(mkdata::build_split_suggestions(words, nullptr), expected);

  words.push_back(word("饿", {"e"}, 10));
  expected = {{"ane", "an'e"}, {"jian", "ji'an"}, {"jie", "ji'e"}, {"nian", "ni'an"}, {"nie", "ni'e"}};
  EXPECT_EQ(mkdata::build_split_suggestions(words, nullptr), expected);
}

TEST(SplitSuggestionsTest, AWordOutweighsAnyPairOfCharacters) {
  std::vector<datasources::RimeEntry> words = {
      word("下", {"xia"}, 90000), word("南", {"nan"}, 90000),  // xia'nan: heavy characters
      word("西", {"xi"}, 10),     word("安", {"an"}, 10),
      word("西安案", {"xi", "an", "an"}, 1),                   // ... but a word reads xi'an'an
      word("大兴安岭地区", {"da", "xing", "an", "ling", "di", "qu"}, 5),
  };
  auto table = mkdata::build_split_suggestions(words, nullptr);
  const std::map<std::string, std::string> found(table.begin(), table.end());
  EXPECT_EQ(found.at("xianan"), "xi'an'an");
  EXPECT_EQ(found.at("daxinganlingdiqu"), "da'xing'an'ling'di'qu");
  EXPECT_EQ(found.at("xian"), "xi'an");
}

}  // namespace
