// Context classes and the words of short gaps between fixed items.
#include <gtest/gtest.h>

#include <string>

#include "sentenceparser/core/context_classes.h"
#include "sentenceparser/core/tests/segmentation_fixture.h"

namespace sentence::testing {
namespace {

using sentence_test::gbk;

struct ClassCase {
  std::string character;  // GBK or ASCII
  std::string expected;
};

class MakeDotTest : public ::testing::TestWithParam<ClassCase> {};

TEST_P(MakeDotTest, GivesClassOfCharacter) {
  const ClassCase& c = GetParam();
  char out[kClassTextSize] = {'#', '#', '#'};
  MakeDot(c.character.c_str(), out);
  EXPECT_EQ(std::string(out), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, MakeDotTest,
    ::testing::Values(
        ClassCase{"7", "a"}, ClassCase{gbk("７"), "a"}, ClassCase{"q", "b"}, ClassCase{"Q", "b"},
        ClassCase{gbk("Ｑ"), "b"}, ClassCase{gbk("ｑ"), "b"}, ClassCase{":", "c"},
        ClassCase{gbk("，"), "d"}, ClassCase{gbk("。"), "e"}, ClassCase{";", "f"},
        ClassCase{gbk("？"), "g"}, ClassCase{"!", "h"}, ClassCase{gbk("【"), "i"},
        ClassCase{gbk("〈"), "i"}, ClassCase{"}", "j"}, ClassCase{gbk("」"), "j"},
        ClassCase{gbk("、"), "l"}, ClassCase{gbk("“"), "m"}, ClassCase{gbk("《"), "p"},
        ClassCase{gbk("》"), "r"}, ClassCase{gbk("’"), "s"}, ClassCase{gbk("…"), "t"},
        ClassCase{gbk("·"), "q"}, ClassCase{"\\", "k"}, ClassCase{gbk("‰"), "n"},
        ClassCase{"-", "o"}, ClassCase{gbk("—"), "o"}, ClassCase{gbk("℃"), "u"},
        ClassCase{gbk("°"), "v"}, ClassCase{gbk("±"), "w"},
        // Anything else is its own class, which has no context words.
        ClassCase{gbk("中"), gbk("中")}, ClassCase{"+", "+"}, ClassCase{"{", "{"},
        ClassCase{"", ""}));

TEST(ContextOfClasses, NeedsTwoClassLetters) {
  char context[kClassTextSize];
  EXPECT_EQ(ContextOfClasses("z", "d", context), 1);
  EXPECT_EQ(std::string(context), "zd");
  EXPECT_EQ(ContextOfClasses("+", "d", context), 0);
  EXPECT_EQ(ContextOfClasses(gbk("中").c_str(), "d", context), 0);
  EXPECT_EQ(context[0], '\0');
}

class ScanBetweenDotTest : public SegmentationTest {};

TEST_F(ScanBetweenDotTest, SyllableBetweenDigitsUsesDigitClasses) {
  Items("3ge4");
  script_.dot["aa:ge"] = gbk("个");
  ScanBetweenDot();
  EXPECT_EQ(script_.contexts_asked, std::vector<std::string>{"aa"});
  EXPECT_EQ(Chosen(), "3个4");
  EXPECT_EQ(NCM[1].flags, kItemPinyin | kItemFixed | kItemChinese);
  EXPECT_EQ(NCM[1].flags2, kItemScanWordFirst | kItemScanWordLast);
}

TEST_F(ScanBetweenDotTest, SentenceStartIsItsOwnClass) {
  Items("ni_hao\xA3\xAC");  // full-width comma
  script_.dot["zd:ni_hao"] = gbk("你好");
  ScanBetweenDot();
  EXPECT_EQ(Chosen(), "你好，");
  EXPECT_EQ(NCM[0].flags2, kItemScanWordFirst);
  EXPECT_EQ(NCM[1].flags2, kItemScanWordLast);
}

TEST_F(ScanBetweenDotTest, TwoInitialsFallBackToAbbreviations) {
  Items("W_M,");
  script_.dot_jp["zd:W_M"] = gbk("我们");
  ScanBetweenDot();
  EXPECT_EQ(Chosen(), "我们,");
  EXPECT_EQ(NCM[0].flags & kItemFixed, kItemFixed);
}

TEST_F(ScanBetweenDotTest, OneInitialHasNoAbbreviationLookup) {
  Items("W,");
  script_.dot_jp["zd:W"] = gbk("我");
  ScanBetweenDot();
  EXPECT_EQ(Chosen(), "?,");
}

TEST_F(ScanBetweenDotTest, ChineseLeftNeighbourFindsNoContextWord) {
  Items("\xD6\xD0ge,");  // 中 ge ,
  for (const char* context : {"zd", "ad", "bd", "dd"}) {
    script_.dot[std::string(context) + ":ge"] = gbk("个");
  }
  ScanBetweenDot();
  EXPECT_TRUE(script_.contexts_asked.empty());
  EXPECT_EQ(NCM[1].flags & kItemFixed, 0);
}

TEST_F(ScanBetweenDotTest, OnlyGapsOfOneOrTwoAreLookedUp) {
  Items("ni_hao_ma,ni,");
  script_.dot["zd:ni_hao_ma"] = gbk("你好吗");
  script_.dot["dd:ni"] = gbk("你");
  ScanBetweenDot();
  EXPECT_EQ(script_.contexts_asked, std::vector<std::string>{"dd"});
  EXPECT_EQ(Chosen(), "???,你,");
}

TEST_F(ScanBetweenDotTest, TrailingSyllablesHaveNoRightNeighbour) {
  Items("3ge");
  script_.dot["az:ge"] = gbk("个");
  script_.dot["aa:ge"] = gbk("个");
  ScanBetweenDot();
  EXPECT_TRUE(script_.contexts_asked.empty());
}

}  // namespace
}  // namespace sentence::testing
