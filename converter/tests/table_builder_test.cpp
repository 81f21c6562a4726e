#include "converter/tablegen/table_builder.h"

#include <gtest/gtest.h>

#include "converter/passes.h"
#include "converter/tablegen/opencc_text.h"
#include "converter/tests/fixture_tables.h"

namespace converter::tablegen {
namespace {

using testing::gb;
using testing::utf8;

TEST(DictionaryTextTest, TakesTheFirstTraditionalForm) {
  std::size_t skipped = 0;
  auto entries = parse_dictionary_text("发\t發 髮\n干\t幹 乾 干\r\nbroken line\n\t空\n头发\t頭髮\n",
                                       &skipped);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].simplified, "发");
  EXPECT_EQ(entries[0].traditional, "發");
  EXPECT_EQ(entries[1].traditional, "幹");
  EXPECT_EQ(entries[2].traditional, "頭髮");
  EXPECT_EQ(skipped, 2u);
}

TEST(TableBuilderTest, FixIsKeyedOnTheFirstWrongCharacterWithTheWholePhraseAsWindow) {
  struct Case {
    const char* seen;
    const char* wanted;
    const char* section;
    unsigned before, after;
  };
  const Case cases[] = {
      {"頭發", "頭髮", "發", 2, 0},
      {"幹淨", "乾淨", "幹", 0, 2},
      {"理發店", "理髮店", "發", 2, 2},
      {"𠀀發", "𠀀髮", "發", 4, 0},
      {"皇後", "皇后啊", "後", 2, 0},  // a longer traditional form
      {"頭髮", "頭髮兒", "髮", 2, 0},  // seen is a prefix of wanted: keyed on its last character
  };
  for (const Case& c : cases) {
    auto fix = make_fix(gb(c.seen), gb(c.wanted));
    ASSERT_TRUE(fix) << c.seen;
    EXPECT_EQ(utf8(fix->first), c.section) << c.seen;
    EXPECT_EQ(fix->second.phrase, gb(c.seen));
    EXPECT_EQ(fix->second.replacement, gb(c.wanted));
    EXPECT_EQ(fix->second.before, c.before) << c.seen;
    EXPECT_EQ(fix->second.after, c.after) << c.seen;
  }
  EXPECT_FALSE(make_fix(gb("頭髮"), gb("頭髮")));
  EXPECT_FALSE(make_fix(gb(std::string(130, 'a') + "幹淨"), gb(std::string(130, 'a') + "乾淨")));
}

TEST(TableBuilderTest, OnlyPhrasesTheCharactersGetWrongBecomeFirstFixes) {
  Gb18030Codec codec;
  BuildStatistics statistics;
  CharTable characters = build_char_table(testing::fixture_characters(), codec, statistics);
  FixTables fixes = build_fix_tables(testing::fixture_phrases(), characters, codec, statistics);
  EXPECT_EQ(statistics.characters, 8u);
  EXPECT_EQ(statistics.phrases, 7u);
  EXPECT_EQ(statistics.phrases_right, 2u);  // 发现, 后来
  EXPECT_EQ(statistics.first_fixes, 5u);
  EXPECT_EQ(statistics.second_fixes, 0u);
  EXPECT_EQ(statistics.still_wrong, 0u);
  EXPECT_EQ(fixes.first.entry_count(), 5u);
  EXPECT_EQ(fixes.second.entry_count(), 0u);
}

TEST(TableBuilderTest, SecondTableRepairsWhatAFirstFixBreaks) {
  Gb18030Codec codec;
  BuildStatistics statistics;
  CharTable characters = build_char_table({{"发", "發"}, {"夹", "夾"}}, codec, statistics);
  // The first phrase's fix would also fire inside the second, which the characters got right.
  FixTables fixes = build_fix_tables({{"发夹", "髮夾"}, {"发夹子", "發夾子"}}, characters, codec,
                                     statistics);
  EXPECT_EQ(statistics.first_fixes, 1u);
  EXPECT_EQ(statistics.second_fixes, 1u);
  EXPECT_EQ(statistics.still_wrong, 0u);
  auto convert = [&](const char* text) {
    std::string out = character_pass(gb(text), characters);
    return utf8(fix_pass(fix_pass(out, fixes.first), fixes.second));
  };
  EXPECT_EQ(convert("发夹"), "髮夾");
  EXPECT_EQ(convert("发夹子"), "發夾子");
  EXPECT_EQ(convert("买发夹子和发夹"), "买發夾子和髮夾");
}

TEST(TableBuilderTest, FirstPhraseKeepsAWindowTwoPhrasesClaim) {
  Gb18030Codec codec;
  BuildStatistics statistics;
  CharTable characters = build_char_table({{"发", "發"}, {"髮", "發"}}, codec, statistics);
  // Both convert to 發型 by characters; the dictionary's first word decides.
  FixTables fixes = build_fix_tables({{"发型", "髮型"}, {"髮型", "髮型X"}}, characters, codec,
                                     statistics);
  EXPECT_EQ(fixes.first.entry_count(), 1u);
  EXPECT_EQ(statistics.phrases_skipped, 1u);
  EXPECT_EQ(utf8(fix_pass(character_pass(gb("发型"), characters), fixes.first)), "髮型");
}

}  // namespace
}  // namespace converter::tablegen
