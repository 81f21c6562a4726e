#include "sentenceparser/core/hanzi_runs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sentenceparser/core/text_clip.h"
#include "sentenceparser/core/tests/split_library_fixture.h"

using namespace sentence;
using namespace sentence_test;

namespace {

class HanziRuns : public SplitLibraryTest {
 protected:
  void TearDown() override {
    FreeHZNCM();
    ResetCi();
    SplitLibraryTest::TearDown();
  }
  static std::string clip(const std::string& text) {
    char out[kHzClipOutputSize];
    if (HzClip(gbk(text).c_str(), out) != 1) return "<0>";
    return utf8(out);
  }
  static std::string cut(int (*cutter)(const char*, char*), const std::string& run) {
    char out[kCutRunBytesMax];
    std::memset(out, '#', sizeof out);
    out[sizeof out - 1] = '\0';
    cutter(gbk(run).c_str(), out);
    return utf8(out);
  }
  static Dbch item_of(const char* character) {
    const std::string text = gbk(character);
    return make_dbch(static_cast<unsigned char>(text[0]), static_cast<unsigned char>(text[1]));
  }
  // The units' texts and parts, "text/part" each.
  static std::vector<std::string> units() {
    std::vector<std::string> list;
    for (int i = 0; i < Current_HzNcm_Item; ++i) {
      list.push_back(utf8(HZNCM_Handle[i].text) + "/" + std::to_string(unit_part(HZNCM_Handle[i])));
    }
    return list;
  }
  static std::string repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
  }
};

TEST_F(HanziRuns, WordsAreEmittedAsSoonAsNoWordCanCrossTheirEnd) {
  write_word_library(2, {"中国", "人民"});
  write_word_library(2, {"中国", "人民"}, /*phrases=*/true);
  EXPECT_EQ(clip("中国人民"), "中国_人民");

  // Fed one character at a time into a unit list that holds one blank unit already.
  ASSERT_EQ(GetHZNCM("    "), 4);
  ResetCi();
  const struct {
    const char* character;
    std::vector<std::string> units_after;
  } steps[] = {
      {"中", {"    /0"}},
      {"国", {"    /0"}},
      {"人", {"    /0", "中国/0"}},
      {"民", {"    /0", "中国/0"}},
  };
  for (const auto& step : steps) {
    AppendHzchr(item_of(step.character));
    FixHzchr(0);
    EXPECT_EQ(units(), step.units_after) << step.character;
  }
  FixHzchr(1);
  EXPECT_EQ(units(), (std::vector<std::string>{"    /0", "中国/0", "人民/0"}));
  EXPECT_EQ(Ci.count, 0);
}

TEST_F(HanziRuns, WithoutLibrariesRunsFallIntoSingleCharacters) {
  EXPECT_EQ(clip("中国人民"), "中_国_人_民");
  EXPECT_EQ(clip("中ab"), "中_ab");
  EXPECT_EQ(clip("ab中"), "ab_中");
}

TEST_F(HanziRuns, SplitLibraryCutsRunsAtTheCodedPositions) {
  write_split_library(3, {{"中国人", 2}, {"中华人", 12}, {"大学生", 0}, {"亍国人", 2}});
  write_split_library(4, {{"人民日报", 1002}, {"中国人民", 23}});
  const struct {
    const char* run;
    int result;
    const char* expected;
  } cases[] = {
      {"中国人", 1, "中国+人"},      // the code sits in the record: the next record's bytes do not count
      {"中华人", 1, "中+华+人"},     // the last record of the file
      {"大学生", 1, "大学生"},       // code 0 cuts nothing
      {"人民日报", 1, "人+民+日报"}, // thousands and units
      {"中国人民", 1, "中国+人+民"},
      {"中文人", 0, ""},             // not in the library
      {"亍国人", 0, ""},             // first character past the first level
      {"中国", 0, ""},               // too short
      {"中国人民日报很", 0, ""},     // too long
      {"人民日", 0, ""},             // no group
  };
  for (const auto& c : cases) {
    char out[kCutRunBytesMax] = "#";
    EXPECT_EQ(PrefixQy(gbk(c.run).c_str(), out), c.result) << c.run;
    EXPECT_EQ(utf8(out), c.expected) << c.run;
  }

  // Only phrases keep the three characters pending together until the end of the text.
  EXPECT_EQ(clip("中国人"), "中_国_人");
  write_word_library(2, {"中国"}, /*phrases=*/true);
  write_word_library(3, {"中国人"}, true);
  EXPECT_EQ(clip("中国人"), "中国_人");
  ASSERT_EQ(GetHZNCM(gbk("中国人").c_str()), 3);
  EXPECT_EQ(units(), (std::vector<std::string>{"中国/3", "人/1"}));
}

TEST_F(HanziRuns, DamagedSplitIndexFindsNothing) {
  auto [index, records] = split_library(3, {{"中国人", 2}});
  const std::size_t at = static_cast<std::size_t>(ComputeGbNo(gbk("中").c_str())) * 4;
  index[at + 2] = 50;  // a group reaching past the end of the records
  write("cz/qy3.inx", index);
  write("cz/qy3.lib", records);
  char out[kCutRunBytesMax] = "#";
  EXPECT_EQ(PrefixQy(gbk("中国人").c_str(), out), 0);
  EXPECT_STREQ(out, "");
}

TEST_F(HanziRuns, WeightsComeByWordLengthAndPosition) {
  write_weights({{"中", {1, 2, 3, 4, 5}}, {"国", {10, 20, 30, 40, 50}}, {"人", {100, 110, 120, 130, 255}}});
  const std::string zhong = gbk("中");
  const std::string ren = gbk("人");
  const struct {
    const std::string& character;
    int length;
    int position;
    int weight;
  } cases[] = {
      {zhong, 2, 1, 1}, {zhong, 2, 2, 2}, {zhong, 3, 1, 3}, {zhong, 3, 3, 5}, {ren, 3, 3, 255},
      {zhong, 4, 1, 0}, {zhong, 1, 1, 0}, {zhong, 2, 3, 0}, {zhong, 2, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetWeight(c.character.c_str(), c.length, c.position), c.weight)
        << c.length << "/" << c.position;
  }
  EXPECT_EQ(GetWeight(gbk("民").c_str(), 2, 1), 0);  // past the end of the table
  EXPECT_EQ(GetWeight("ab", 2, 1), 0);

  GetAllMayCi(gbk("中国人").c_str());
  ASSERT_EQ(Cur_PreQyNum, 3);
  const struct {
    int start, end, weight;
    const char* text;
  } windows[] = {{1, 3, 3 + 40 + 255, "中国人"}, {1, 2, 1 + 20, "中国"}, {2, 3, 10 + 110, "国人"}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Qy_Unit[i].start, windows[i].start) << i;
    EXPECT_EQ(Qy_Unit[i].end, windows[i].end) << i;
    EXPECT_EQ(Qy_Unit[i].weight, windows[i].weight) << i;
    EXPECT_EQ(utf8(Qy_Unit[i].text), windows[i].text) << i;
    EXPECT_EQ(Qy_Unit[i].chosen, 0) << i;
  }
}

TEST_F(HanziRuns, WithoutWeightsTheEarlierWindowWins) {
  write_word_library(2, {"中国", "国人"});
  EXPECT_EQ(cut(FixQy, "中国人"), "中国+人");
  EXPECT_EQ(GetWeight(gbk("中").c_str(), 2, 1), 0);
}

TEST_F(HanziRuns, HeavierWindowWinsAndEqualWeightsKeepTheirOrder) {
  write_word_library(2, {"中国", "国人"});
  write_weights({{"中", {5, 0, 0, 0, 0}}, {"国", {5, 5, 0, 0, 0}}, {"人", {0, 5, 0, 0, 0}}});
  EXPECT_EQ(cut(FixQy, "中国人"), "中国+人");  // 10 against 10
  write_weights({{"中", {5, 0, 0, 0, 0}}, {"国", {5, 5, 0, 0, 0}}, {"人", {0, 6, 0, 0, 0}}});
  CloseCachedFilePool();  // the rewritten table must be mapped afresh
  EXPECT_EQ(cut(FixQy, "中国人"), "中+国人");
  EXPECT_EQ(clip("中国人"), "中_国人");
}

TEST_F(HanziRuns, FixQyLeavesSingleCharactersAndCutsTwoByWords) {
  write_word_library(2, {"中国"});
  char out[kCutRunBytesMax];
  EXPECT_EQ(FixQy(gbk("中").c_str(), out), 0);
  EXPECT_EQ(utf8(out), "中");
  EXPECT_EQ(FixQy(gbk("人民").c_str(), out), 1);
  EXPECT_EQ(utf8(out), "人+民");
}

TEST_F(HanziRuns, LongestWordsAreTakenFirst) {
  write_word_library(2, {"中国", "国中"});
  write_word_library(4, {"国中国中"});
  EXPECT_EQ(cut(MaxClip, "中国中国中"), "中+国中国中");
  EXPECT_EQ(cut(MaxClip, "中国人中国"), "中国+人+中国");
  EXPECT_EQ(cut(MaxClip, "人"), "人");
}

TEST_F(HanziRuns, LongChainedRunsFillTheUnitTableAndCutTheRestSingly) {
  // 中国 and 国中 chain into each other, so nothing goes before the end of the text.
  write_word_library(2, {"中国", "国中"});
  for (int pairs : {20, 100}) {
    std::string expected;
    for (int i = 0; i < pairs; ++i) {
      const std::string pieces = i < kQyUnitCapacity ? "中国" : "中_国";
      expected += (i == 0 ? "" : "_") + pieces;
    }
    EXPECT_EQ(clip(repeated("中国", pairs)), expected) << pairs;
  }
  EXPECT_LE(Cur_PreQyNum, kQyUnitCapacity);

  ASSERT_EQ(GetHZNCM(gbk(repeated("中国", 20)).c_str()), 40);
  const auto list = units();
  ASSERT_EQ(list.size(), 16u + 8u);
  EXPECT_EQ(list.front(), "中国/3");
  EXPECT_EQ(list[1], "中国/2");
  EXPECT_EQ(list.back(), "国/1");
}

TEST_F(HanziRuns, FullPendingBufferIsFlushedBeforeTheNextCharacter) {
  ASSERT_EQ(GetHZNCM(std::string(kClipTextMax, ' ').c_str()), static_cast<int>(kClipTextMax));
  ResetCi();
  const Dbch de = item_of("的");
  for (int i = 0; i < kCiCapacity; ++i) AppendHzchr(de);
  EXPECT_EQ(Ci.count, kCiCapacity);
  AppendHzchr(item_of("了"));
  EXPECT_EQ(Ci.count, 1);
  EXPECT_EQ(Current_HzNcm_Item, 1 + kCiCapacity);
  EXPECT_EQ(utf8(HZNCM_Handle[kCiCapacity].text), "的");
  EXPECT_EQ(unit_part(HZNCM_Handle[kCiCapacity]), 1);
}

TEST(Pieces, NextItemWalksThePlusSeparatedText) {
  const std::string text = gbk("中国+人+民族");
  int position = 0;
  char out[8];
  const char* expected[] = {"中国", "人", "民族", ""};
  for (const char* piece : expected) {
    EXPECT_EQ(GetNextItem(&position, text.c_str(), out, sizeof out), static_cast<int>(gbk(piece).size()));
    EXPECT_EQ(utf8(out), piece);
  }
  EXPECT_EQ(position, static_cast<int>(text.size()));

  position = 0;
  char small[4];
  EXPECT_EQ(GetNextItem(&position, "abcdef+g", small, sizeof small), 3);  // cut to the buffer
  EXPECT_STREQ(small, "abc");
  EXPECT_EQ(position, 7);
}

}  // namespace
