// The word test, the word writer, the table copies and the keys and patterns of item ranges.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sentenceparser/core/segmentation_driver.h"
#include "sentenceparser/core/tests/segmentation_fixture.h"

namespace sentence::testing {
namespace {

using sentence_test::gbk;
using sentence_test::utf8;

class IsWordTest : public SegmentationTest {
 protected:
  // The word IsWord finds for items first..last, "" when none; weight and division on the side.
  std::string Find(int first, int last) {
    char text[kWordTextSize] = {};
    weight_ = -1;
    division_ = 0;
    if (IsWord(first, last, text, &weight_, &division_) != 1) return "";
    return utf8(text);
  }
  int weight_ = 0;
  unsigned char division_ = 0;
};

struct RefusedCase {
  std::string input;
  int first;
  int last;
};

class IsWordRefuses : public IsWordTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(IsWordRefuses, RangeThatCannotBeAWord) {
  const RefusedCase& c = GetParam();
  Items(c.input);
  // Every range of the inputs is scripted, so only the range rules can refuse.
  for (int first = 0; first < CurrentItem; ++first) {
    for (int last = first; last < CurrentItem; ++last) {
      std::string word;
      for (int i = first; i <= last; ++i) word += "字";
      Word(joined_letters(first, last), word, 50);
    }
  }
  EXPECT_EQ(Find(c.first, c.last), "") << c.input;
  EXPECT_TRUE(script_.main_asked.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, IsWordRefuses,
    ::testing::Values(RefusedCase{"ni_Hao", 0, 1},       // an abbreviated syllable
                      RefusedCase{"ni_hao,ma", 1, 3},    // a punctuation item inside
                      RefusedCase{"ni_hao,", 1, 2},      // a punctuation item at the end
                      RefusedCase{"3_4", 0, 1},          // every item already fixed
                      RefusedCase{"ni_hao", 1, 0},       // an empty range
                      RefusedCase{"ni_hao", 0, 2}));     // past the items

TEST_F(IsWordTest, FixedEdgeItemsMustBeWordEdges) {
  Items("zhong_guo_ren");
  Word("zhong_guo", "中国", 60);
  Word("guo_ren", "国人", 60);
  NCM[1].character[0] = static_cast<unsigned char>(gbk("国")[0]);
  NCM[1].character[1] = static_cast<unsigned char>(gbk("国")[1]);
  NCM[1].flags |= kItemFixed | kItemChinese;
  EXPECT_EQ(Find(0, 1), "");  // fixed last item without a word end
  EXPECT_EQ(Find(1, 2), "");  // fixed first item without a word start
  NCM[1].flags |= kItemWordStart | kItemWordEnd;
  EXPECT_EQ(Find(0, 1), "中国");
  EXPECT_EQ(Find(1, 2), "国人");
}

TEST_F(IsWordTest, FixedCharacterConstrainsTheWord) {
  Items("shi_shi");
  Word("shi_shi", "事实", 60);
  const std::string fixed = gbk("实");
  NCM[0].character[0] = static_cast<unsigned char>(fixed[0]);
  NCM[0].character[1] = static_cast<unsigned char>(fixed[1]);
  NCM[0].flags |= kItemFixed | kItemChinese | kItemWordStart | kItemWordEnd;
  EXPECT_EQ(Find(0, 1), "");
}

TEST_F(IsWordTest, DigitItemTakesPartInAWord) {
  Items("3_ge");
  Word("3_ge", "三个", 40);
  EXPECT_EQ(Find(0, 1), "三个");
  EXPECT_EQ(weight_, 40);
}

struct SourceCase {
  int head_weight;  // -1: no head-and-end word
  int main_weight;  // -1: no main word
  std::string expected;
};

class IsWordSource : public IsWordTest, public ::testing::WithParamInterface<SourceCase> {};

TEST_P(IsWordSource, HeadAndEndWordStandsUnlessMainIsHeavier) {
  const SourceCase& c = GetParam();
  Items("ta_men_zou");
  if (c.head_weight >= 0) script_.head_end["ta_men"] = {gbk("他们"), c.head_weight, 0x10};
  if (c.main_weight >= 0) Word("ta_men", "她们", c.main_weight, 0x20);
  EXPECT_EQ(Find(0, 1), c.expected);
  if (c.expected == "他们") {
    EXPECT_EQ(weight_, c.head_weight);
    EXPECT_EQ(division_, 0x10);
  } else if (c.expected == "她们") {
    EXPECT_EQ(weight_, c.main_weight);
    EXPECT_EQ(division_, 0x20);
  }
}

INSTANTIATE_TEST_SUITE_P(Weights, IsWordSource,
                         ::testing::Values(SourceCase{50, 40, "他们"}, SourceCase{50, 50, "他们"},
                                           SourceCase{40, 50, "她们"}, SourceCase{-1, 50, "她们"},
                                           SourceCase{50, -1, "他们"}, SourceCase{-1, -1, ""}));

TEST_F(IsWordTest, WholeInputWordOutweighsEverySplit) {
  Items("wo_men_shi_zhong_guo_ren");
  script_.whole["wo_men_shi_zhong_guo_ren"] = gbk("我们是中国人");
  Word("wo_men_shi_zhong_guo_ren", "我们是中国人", 30);
  EXPECT_EQ(Find(0, 5), "我们是中国人");
  EXPECT_EQ(weight_, kWholeWordWeight);
  EXPECT_EQ(division_, kNoInnerEnds);
  // Above the window's early stop and above seven syllables of the heaviest learned words.
  EXPECT_GT(kWholeWordWeight, 525);
  EXPECT_GT(kWholeWordWeight, 7 * 3000);
  // Only a range over every searchable item asks the whole-sentence words.
  EXPECT_EQ(Find(0, 4), "");
  ASSERT_EQ(script_.whole_asked.size(), 1u);
}

TEST_F(IsWordTest, TrailingDigitIsNotPartOfTheWholeInput) {
  Items("ni_hao_3");
  script_.whole["ni_hao"] = gbk("你好");
  EXPECT_EQ(SearchableItems(), 2);
  EXPECT_EQ(Find(0, 1), "你好");
  EXPECT_EQ(weight_, kWholeWordWeight);
}

struct DivisionCase {
  int items;
  unsigned char division;
  std::string ends;  // "|" after an item that ends a word
  std::string starts;
};

class SetfenTest : public SegmentationTest, public ::testing::WithParamInterface<DivisionCase> {};

TEST_P(SetfenTest, MarksInnerWordEnds) {
  const DivisionCase& c = GetParam();
  std::string input = "ni";
  for (int i = 1; i < c.items; ++i) input += "_ni";
  Items(input);
  // Stale marks from an earlier word are replaced.
  for (int i = 0; i < c.items; ++i) NCM[i].flags |= kItemWordStart | kItemWordEnd;
  setfen(0, c.items - 1, c.division);
  std::string starts;
  for (int i = 0; i < c.items; ++i) starts += (NCM[i].flags & kItemWordStart) ? "^" : ".";
  EXPECT_EQ(Ends(), c.ends);
  EXPECT_EQ(starts, c.starts);
}

INSTANTIATE_TEST_SUITE_P(
    Divisions, SetfenTest,
    ::testing::Values(DivisionCase{4, 0x80, "...|", "^..."},
                      DivisionCase{4, 0x10, ".|.|", "^.^."},
                      DivisionCase{4, 0x20 | 0x08, "|.||", "^^.^"},
                      // The last item's own bit opens nothing after the word.
                      DivisionCase{2, 0x10, ".|", "^."},
                      // Distances of 6 and more never end a word inside.
                      DivisionCase{8, 0x01, ".....|.|", "^.....^."},
                      DivisionCase{8, 0x00, ".......|", "^......."}));

TEST_F(SegmentationTest, NCMCopyMovesItemsBetweenTheTables) {
  Items("ni_hao_ma");
  NCMCopy(0, 1, -1);
  EXPECT_EQ(std::memcmp(NCM1, NCM, sizeof NCM), 0);
  NCM1[1].weight = 77;
  NCMCopy(1, 0, 1);
  EXPECT_EQ(NCM[1].weight, 77);
  NCM2[2].weight = 33;
  NCM2[0].weight = 44;
  NCMCopy(2, 0, 2);
  EXPECT_EQ(NCM[2].weight, 33);
  EXPECT_EQ(NCM[0].weight, 0);
  // Neither 1 -> 2 nor an index past the table copies anything.
  NCMCopy(1, 2, -1);
  EXPECT_EQ(NCM2[1].weight, 0);
  NCMCopy(2, 0, kMaxItems);
  NCMCopy(2, 0, -2);
  EXPECT_EQ(NCM[0].weight, 0);
}

struct KeyCase {
  std::string input;
  int first;
  int last;
  std::string key;
};

class DigitKeyTest : public SegmentationTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(DigitKeyTest, DigitsKeyAsPlaceholderSyllable) {
  const KeyCase& c = GetParam();
  Items(c.input);
  char key[16];
  ASSERT_EQ(TakeChkp(c.first, c.last, key), 1);
  EXPECT_EQ(std::string(key), c.key);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, DigitKeyTest,
    ::testing::Values(KeyCase{"3_ni", 0, 1, "inai(V"},
                      KeyCase{"\xA3\xB3ni", 0, 1, "inai(V"},   // full-width 3
                      KeyCase{"ni_3_ni", 0, 2, "ninV(V"}));

TEST_F(SegmentationTest, AbbreviationKeyTakesInitials) {
  Items("W_Zh_3_M");
  char key[16];
  EXPECT_EQ(TakeChkJp(0, 3, key), 4);
  EXPECT_EQ(std::string(key), "WZIM");
  EXPECT_EQ(TakeChkJp(1, 1, key), 1);
  EXPECT_EQ(std::string(key), "Z");
  EXPECT_EQ(TakeChkJp(2, 4, key), 0);
  Items("W,M");
  EXPECT_EQ(TakeChkJp(0, 2, key), 0);
  EXPECT_EQ(key[0], '\0');
}

TEST_F(SegmentationTest, PatternShowsFixedChineseOnly) {
  Items("ni_3_\xD6\xD0_hao,");
  char pattern[kWordTextSize];
  ASSERT_EQ(TakePattern(0, 4, pattern), 1);
  EXPECT_EQ(std::string(pattern), "AAiA\xD6\xD0" "AAAA");
  EXPECT_EQ(TakePattern(0, 5, pattern), 0);
}

}  // namespace
}  // namespace sentence::testing

#include <random>

#include "sentenceparser/core/segmentation_driver.h"

namespace sentence::testing {
namespace {

// Every range of syllables is a word here, with a weight that varies over the ranges, so the
// searches meet early stops, light followers, retries and both region outcomes.
int seeded_weight(int first, int last) { return (first * 131 + last * 71 + first * last) % 700; }

std::string repeated(const char* character, int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += character;
  return text;
}

int any_word(int first, int last, const char*, int n, char* text, int* weight,
             unsigned char* flags, int) {
  const std::string word = repeated("\xD7\xD6", n);  // 字
  if (!accords(text, word)) return 0;
  std::snprintf(text, kWordTextSize, "%s", word.c_str());
  *weight = seeded_weight(first, last);
  *flags = static_cast<unsigned char>(seeded_weight(last, first) & 0x3F);
  return 1;
}

int any_whole(int, int, const char*, int n, char* text) {
  if (n % 3 != 0) return 0;
  std::snprintf(text, kWordTextSize, "%s", repeated("\xBE\xE4", n).c_str());  // 句
  return 1;
}

int any_jp(const char* key, int n, char* text, int* weight) {
  const std::string word = repeated("\xCB\xF5", n);  // 缩
  if (!accords(text, word)) return 0;
  std::snprintf(text, kWordTextSize, "%s", word.c_str());
  *weight = static_cast<int>(std::strlen(key)) * 7 % 50;
  return 1;
}

class SegmentationStressTest : public SegmentationTest {};

TEST_F(SegmentationStressTest, RandomInputsEndFullyResolvedWithinTheTable) {
  Lookups.my_word = any_word;
  Lookups.whole_word = any_whole;
  Lookups.jp_word = any_jp;
  const char* pieces[] = {"ni", "hao", "zhong", "guo", "a", "e", "W", "M", "Zh", "3",
                          ",",  "?",   "\xA3\xB3", "\xD6\xD0", "_", "__", "lve"};
  std::mt19937 random(20261211);
  int converted = 0;
  int resolved = 0;
  for (int round = 0; round < 300; ++round) {
    std::string input;
    const int pieces_wanted = static_cast<int>(random() % 320);
    for (int p = 0; p < pieces_wanted; ++p) {
      input += pieces[random() % std::size(pieces)];
      input += "_";
    }
    std::string output(1024, '\0');
    const int result = ConvertStream(input.data(), output.data(), 0);
    if (result == kConvertTooManyItems || CurrentItem <= 1) continue;
    ++converted;
    if (result == kConvertOk) ++resolved;
    ASSERT_LE(CurrentItem, kMaxItems);
    // Every syllable and initial has a word here, so nothing is left to the filler.
    ASSERT_TRUE(result == kConvertOk || result == kConvertNothing) << result << " for " << input;
    for (int i = 0; i < CurrentItem; ++i) {
      const Item& item = NCM[i];
      if ((item.flags & (kItemPinyin | kItemAbbreviated)) != 0) {
        ASSERT_NE(item.flags & kItemFixed, 0) << i << " of " << input;
      }
    }
  }
  // Most inputs fit the table.
  EXPECT_GT(converted, 150);
  EXPECT_GT(resolved, 150);
}

}  // namespace
}  // namespace sentence::testing
