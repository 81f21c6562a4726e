// The forward and backward word search, the retry rule and the choice per region.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "sentenceparser/core/tests/segmentation_fixture.h"

namespace sentence::testing {
namespace {

using sentence_test::code_of;
using sentence_test::gbk;
using sentence_test::utf8;

class ScanGapTwiceTest : public SegmentationTest {
 protected:
  static std::string Characters(const Item* items, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
      text += (items[i].flags & kItemFixed) ? utf8(item_character(items[i])) : "?";
    }
    return text;
  }
};

TEST_F(ScanGapTwiceTest, WholeSentenceWordEndsTheSearch) {
  Items("wo_men_shi_zhong_guo_ren");
  script_.whole["wo_men_shi_zhong_guo_ren"] = gbk("我们是中国人");
  // Heavy splits that would win against a light whole-sentence word.
  Word("wo_men", "我们", 500);
  Word("shi_zhong_guo_ren", "是中国人", 500);
  Word("zhong_guo_ren", "中国人", 500);
  ScanGapTwice();
  EXPECT_EQ(Chosen(), "我们是中国人");
  EXPECT_EQ(Ends(), ".....|");
  EXPECT_EQ(NCM[3].weight, kWholeWordWeight);
  // Found first and heavy enough to stop at once: no split was looked up, no backward search.
  EXPECT_EQ(script_.whole_asked.size(), 1u);
  EXPECT_TRUE(script_.main_asked.empty());
}

TEST_F(ScanGapTwiceTest, WordsCoverTheSentence) {
  Items("wo_men_shi_zhong_guo_ren");
  Word("wo_men", "我们", 200);
  Word("shi", "是", 0);  // one-syllable words are not searched here
  Word("zhong_guo_ren", "中国人", 300, 0x10);
  Word("zhong_guo", "中国", 250);
  ScanGapTwice();
  EXPECT_EQ(Chosen(), "我们?中国人");
  // The inner end of 中国|人 comes from its division byte.
  EXPECT_EQ(Ends(), ".|..||");
  EXPECT_EQ(NCM[0].flags2 & (kItemScanWordFirst | kItemScanWordLast), kItemScanWordFirst);
  EXPECT_EQ(NCM[5].flags2 & kItemScanWordLast, kItemScanWordLast);
  EXPECT_EQ(NCM[5].weight, 300);
}

TEST_F(ScanGapTwiceTest, EqualWeightsKeepTheLongerWordFoundFirst) {
  Items("zhong_guo_ren");
  Word("zhong_guo_ren", "中国人", 50);
  Word("zhong_guo", "种果", 50);
  ScanGapTwice();
  EXPECT_EQ(Chosen(), "中国人");
}

TEST_F(ScanGapTwiceTest, PunctuationSplitsTheSearch) {
  Items("ni_hao,ma_ma");
  Word("ni_hao", "你好", 60);
  Word("ma_ma", "妈妈", 60);
  Word("hao_,_ma", "好，吗", 900);
  ScanGapTwice();
  EXPECT_EQ(Chosen(), "你好,妈妈");
  for (const auto& [first, last] : script_.main_asked) {
    EXPECT_FALSE(first <= 2 && 2 <= last) << first << ".." << last;
  }
}

struct RegionCase {
  int first_single;  // single-character weight of the item only the backward result leaves open
  int last_single;   // ... of the item only the forward result leaves open
  std::string expected;
};

class RegionChoice : public ScanGapTwiceTest, public ::testing::WithParamInterface<RegionCase> {};

// Forward finds 大学 and leaves sheng open; backward finds 学生 and leaves da open. Each open
// item adds its character's weight, or halves its result's score when that weight is 50 or less.
TEST_P(RegionChoice, BetterScoredDirectionWins) {
  const RegionCase& c = GetParam();
  Items("da_xue_sheng");
  Word("da_xue", "大学", 100);
  Word("xue_sheng", "学生", 100);
  script_.dan[code_of("da")] = c.first_single;
  script_.dan[code_of("sheng")] = c.last_single;
  ScanGapTwice();
  EXPECT_EQ(Characters(NCM1, 3), "大学?");
  EXPECT_EQ(Characters(NCM2, 3), "?学生");
  EXPECT_EQ(Chosen(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Scores, RegionChoice,
                         ::testing::Values(RegionCase{60, 90, "大学?"},   // 290 against 260
                                           RegionCase{90, 60, "?学生"},   // 260 against 290
                                           RegionCase{70, 70, "?学生"},   // a tie goes backward
                                           RegionCase{60, 10, "?学生"},   // 100 against 260
                                           RegionCase{20, 30, "?学生"},   // 100 against 100
                                           RegionCase{10, 90, "大学?"})); // 290 against 100

// Forward splits ge..dong into three words after 3个, backward takes one word for all of it. The
// split scores higher, but one word against more than two pieces keeps the backward result.
TEST_F(ScanGapTwiceTest, OneWordRegionBeatsAHigherScoredSplitIntoMany) {
  Items("3_ge_da_xue_sheng_huo_dong");
  Word("3_ge", "三个", 400);
  Word("ge_da_xue_sheng_huo_dong", "各大学生活动", 100);
  Word("da_xue", "大学", 200);
  Word("sheng_huo", "生活", 200);
  script_.dan[code_of("dong")] = 60;
  ScanGapTwice();
  EXPECT_EQ(Characters(NCM1, 7), "3个大学生活?");  // 1260 against 600
  EXPECT_EQ(Chosen(), "3各大学生活动");
}

TEST_F(ScanGapTwiceTest, AgreedBoundariesSeparateRegions) {
  Items("da_xue_sheng_3_ni_hao");
  Word("da_xue", "大学", 100);
  Word("xue_sheng", "学生", 100);
  Word("ni_hao", "你好", 80);
  script_.dan[code_of("da")] = 90;
  script_.dan[code_of("sheng")] = 60;
  ScanGapTwice();
  EXPECT_EQ(Chosen(), "?学生3你好");
  EXPECT_NE(NCM[3].flags2 & kItemAgreedBoundary, 0);  // the digit
  EXPECT_NE(NCM[5].flags2 & kItemAgreedBoundary, 0);  // both directions end 你好 here
  EXPECT_EQ(NCM[0].flags2 & kItemAgreedBoundary, 0);
}

struct RetryCase {
  int second_weight;  // the window's other heavy candidate, 中国
  int next_weight;    // the next window's best, 人民
  std::string forward;
};

class RetryRule : public ScanGapTwiceTest, public ::testing::WithParamInterface<RetryCase> {};

// The first window places 中果人 (with a word end before 人); the next window's best is 人民.
// When that is light and the first window had two heavy candidates, 中果人 is undone and the
// first window searched again without it.
TEST_P(RetryRule, LightFollowerUndoesTheEarlierWord) {
  const RetryCase& c = GetParam();
  Items("zhong_guo_ren_min");
  Word("zhong_guo_ren", "中果人", 100, 0x10);
  Word("zhong_guo", "中国", c.second_weight);
  Word("ren_min", "人民", c.next_weight);
  ScanGapTwice();
  EXPECT_EQ(Characters(NCM1, 4), c.forward);
}

INSTANTIATE_TEST_SUITE_P(Weights, RetryRule,
                         ::testing::Values(RetryCase{95, 7, "中国人民"},
                                           RetryCase{95, 8, "中果人民"},   // follower not light
                                           RetryCase{80, 7, "中果人民"})); // one heavy candidate

TEST_F(ScanGapTwiceTest, LongInputStaysWithinItsWindows) {
  std::string input = "ni";
  for (int i = 1; i < kMaxItems; ++i) input += "_ni";
  Items(input);
  ASSERT_EQ(CurrentItem, kMaxItems);
  for (int n = 2; n <= 7; ++n) {
    std::string letters = "ni";
    std::string word = "你";
    for (int i = 1; i < n; ++i) {
      letters += "_ni";
      word += "你";
    }
    Word(letters, word, 10 * n);
  }
  ScanGapTwice();
  // 260 is no multiple of 7: one item stays open at one end, every other one is covered.
  const std::string chosen = Chosen();
  EXPECT_LE(std::count(chosen.begin(), chosen.end(), '?'), 1);
  for (const auto& [first, last] : script_.main_asked) {
    ASSERT_LT(last, kMaxItems);
    ASSERT_LE(last - first + 1, 7);
  }
}

}  // namespace
}  // namespace sentence::testing

namespace sentence::testing {
namespace {

class ScanGapTwiceLibrary : public LibrarySegmentationTest {
 protected:
  void SetUp() override {
    LibrarySegmentationTest::SetUp();
    Characters({{"wo", "我"}, {"men", "们"}, {"shi", "是"}, {"zhong", "中"}, {"guo", "国"},
                {"ren", "人"}, {"yi", "一"}, {"er", "二"}, {"san", "三"}, {"si", "四"}});
    MainWords(2, {Entry({"wo", "men"}, 100, 10), Entry({"zhong", "guo"}, 90, 10)});
    MainWords(3, {Entry({"zhong", "guo", "ren"}, 100, 10)});
  }
};

TEST_F(ScanGapTwiceLibrary, SentenceOfLibraryWords) {
  std::string sentence, ends;
  EXPECT_EQ(Convert("wo_men_shi_zhong_guo_ren", &sentence, &ends), kConvertOk);
  EXPECT_EQ(sentence, "我们是中国人");
  // 我们|是|中国人: the one-syllable pass marks no word ends.
  EXPECT_EQ(ends, "0_000_");
}

TEST_F(ScanGapTwiceLibrary, WholeSentenceWordFromTheLibrary) {
  WholeWords(6, {Entry({"wo", "men", "shi", "zhong", "guo", "ren"}, 0, 0)});
  std::string sentence, ends;
  EXPECT_EQ(Convert("wo_men_shi_zhong_guo_ren", &sentence, &ends), kConvertOk);
  EXPECT_EQ(sentence, "我们是中国人");
  EXPECT_EQ(ends, "00000_");
  EXPECT_EQ(NCM[0].weight, kWholeWordWeight);
}

TEST_F(ScanGapTwiceLibrary, NumberWords) {
  std::string sentence, ends;
  EXPECT_EQ(Convert("yi_er_san_si", &sentence, &ends), kConvertOk);
  EXPECT_EQ(sentence, "一二三四");
  // One number word, not four single characters.
  EXPECT_EQ(ends, "000_");
  EXPECT_NE(NCM[0].flags2 & kItemScanWordFirst, 0);
}

}  // namespace
}  // namespace sentence::testing
