// The table of suggested splits made from the word source.
#include <gtest/gtest.h>

#include "CoreSource/py_suggestions.h"
#include "writers/split_suggestions.h"

namespace {

mkdata::RimeEntry word(const char* text, std::vector<std::string> syllables, std::uint32_t weight) {
  mkdata::RimeEntry entry;
  entry.text = text;
  entry.syllables = std::move(syllables);
  entry.weight = weight;
  return entry;
}

TEST(SplitSuggestionsTest, WordsTheSplitterCutsOtherwiseBecomeSuggestions) {
  std::vector<mkdata::RimeEntry> words = {
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

}  // namespace
