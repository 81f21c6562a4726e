// The abbreviated-pinyin pass: heaviest word first, fixed characters respected, bounded list.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "sentenceparser/core/tests/segmentation_fixture.h"

namespace sentence::testing {
namespace {

using sentence_test::gbk;

class ScanJpTest : public SegmentationTest {
 protected:
  void Abbreviation(const std::string& key, const std::string& utf8_text, int weight) {
    script_.jp[key] = {gbk(utf8_text), weight, kNoInnerEnds};
  }
};

TEST_F(ScanJpTest, InitialsBecomeTheirWord) {
  Items("W_M");
  Abbreviation("WM", "我们", 60);
  ScanJp(2, 9);
  EXPECT_EQ(Chosen(), "我们");
  EXPECT_EQ(NCM[0].flags, kItemFixed | kItemPinyin | kItemAbbreviated | kItemChinese);
}

struct HeaviestCase {
  int wm_weight;
  int ms_weight;
  std::string expected;
};

class ScanJpHeaviest : public ScanJpTest, public ::testing::WithParamInterface<HeaviestCase> {};

// 我们 and 美食 overlap on M; the heavier takes it, and the other no longer accords.
TEST_P(ScanJpHeaviest, HeaviestWordIsPlacedFirst) {
  const HeaviestCase& c = GetParam();
  Items("W_M_S");
  Abbreviation("WM", "我们", c.wm_weight);
  Abbreviation("MS", "美食", c.ms_weight);
  ScanJp(2, 9);
  EXPECT_EQ(Chosen(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Weights, ScanJpHeaviest,
                         ::testing::Values(HeaviestCase{40, 90, "?美食"},
                                           HeaviestCase{90, 40, "我们?"},
                                           HeaviestCase{50, 50, "我们?"}));  // first found

TEST_F(ScanJpTest, LongerRunFoundFirstWinsATie) {
  Items("W_M_S");
  Abbreviation("WMS", "我们是", 50);
  Abbreviation("WM", "我们", 50);
  Abbreviation("MS", "美食", 50);
  ScanJp(2, 9);
  EXPECT_EQ(Chosen(), "我们是");
}

TEST_F(ScanJpTest, RunsOfOneFillWhatIsLeft) {
  Items("W_M_S");
  Abbreviation("WM", "我们", 60);
  Abbreviation("S", "是", 1);
  Abbreviation("W", "我", 1);
  ScanJp(2, 9);
  EXPECT_EQ(Chosen(), "我们?");
  ScanJp(1, 1);
  EXPECT_EQ(Chosen(), "我们是");
}

TEST_F(ScanJpTest, DigitsJoinRunsButFullSyllablesDoNot) {
  Items("3_G_ni_W_M");
  Abbreviation("IG", "三个", 60);
  Abbreviation("GN", "哥你", 90);
  Abbreviation("WM", "我们", 60);
  ScanJp(2, 9);
  EXPECT_EQ(std::find(script_.jp_asked.begin(), script_.jp_asked.end(), "GN"),
            script_.jp_asked.end());
  EXPECT_NE(std::find(script_.jp_asked.begin(), script_.jp_asked.end(), "IG"),
            script_.jp_asked.end());
  EXPECT_EQ(Chosen(), "3个?我们");
}

TEST_F(ScanJpTest, OverfullCandidateListEndsThePass) {
  std::string many = "W";
  for (int i = 1; i < 120; ++i) many += "_W";
  std::string key;
  for (int n = 1; n <= 9; ++n) {
    key += "W";
    std::string word;
    for (int i = 0; i < n; ++i) word += "我";
    Abbreviation(key, word, 10 * n);
  }
  // 119 + 118 + ... + 112 = 924 candidates: more than the list holds.
  Items(many);
  ScanJp(2, 9);
  EXPECT_EQ(Chosen().find("我"), std::string::npos);
  // 100 items give 99 + ... + 92 = 764: the pass runs and fills every item.
  many.resize(2 * 100 - 1);
  Items(many);
  ScanJp(2, 9);
  EXPECT_EQ(Chosen().find('?'), std::string::npos);
}

}  // namespace
}  // namespace sentence::testing

namespace sentence::testing {
namespace {

struct LibraryJpCase {
  std::string input;
  int wm_weight;  // abbreviation weights of 我们 and 外貌, both W_M
  int wai_mao_weight;
  std::string expected;
};

class ScanJpLibrary : public LibrarySegmentationTest,
                      public ::testing::WithParamInterface<LibraryJpCase> {};

TEST_P(ScanJpLibrary, ConvertsInitialsWithTheHeaviestLibraryWord) {
  const LibraryJpCase& c = GetParam();
  Characters({{"wo", "我"}, {"men", "们"}, {"wai", "外"}, {"mao", "貌"}, {"zhong", "中"},
              {"guo", "国"}});
  MainWords(2, {Entry({"wo", "men"}, 60, c.wm_weight), Entry({"wai", "mao"}, 50, c.wai_mao_weight),
                Entry({"zhong", "guo"}, 60, 30)});
  std::string sentence, ends;
  EXPECT_EQ(Convert(c.input, &sentence, &ends), kConvertOk);
  EXPECT_EQ(sentence, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Words, ScanJpLibrary,
                         ::testing::Values(LibraryJpCase{"W_M", 40, 5, "我们"},
                                           LibraryJpCase{"W_M", 40, 45, "外貌"},
                                           LibraryJpCase{"Z_G", 40, 5, "中国"}));

}  // namespace
}  // namespace sentence::testing
