#include "sentenceparser/core/word_tests.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "sentenceparser/core/chr_substitution.h"
#include "sentenceparser/core/tests/hanzi_library_fixture.h"

using namespace sentence;
using namespace sentence_test;

namespace {

TEST(NumberWords, FollowTheGrammarOfDigitsUnitsAndTheirFormalForms) {
  const struct {
    const char* text;
    int expected;
  } cases[] = {
      {"一百二十", 1}, {"三点五", 1}, {"百一", 1}, {"壹佰贰拾", 1}, {"壹拾", 1}, {"十五", 1},
      {"○五", 1},      {"点点", 0},   {"佰佰", 0}, {"一佰", 0},     {"壹百", 0}, {"百千", 0},
      {"中国", 0},     {"一中", 0},
  };
  for (const auto& c : cases) {
    const std::string text = gbk(c.text);
    EXPECT_EQ(IsNumWords(text.c_str(), static_cast<int>(text.size() / 2)), c.expected) << c.text;
  }
}

TEST(NumberWords, RefuseAsciiDigitsAndCountsOutsideTwoToSeven) {
  const std::string with_ascii = gbk("一") + "2";
  EXPECT_EQ(IsNumWords((with_ascii + "3").c_str(), 2), 0);
  EXPECT_EQ(IsNumWords((gbk("一") + "23").c_str(), 2), 0);
  EXPECT_EQ(IsNumWords(gbk("一").c_str(), 1), 0);
  EXPECT_EQ(IsNumWords(gbk("一二三四五六七").c_str(), 7), 1);
  EXPECT_EQ(IsNumWords(gbk("一二三四五六七八").c_str(), 8), 0);
  EXPECT_EQ(IsNumWords(gbk("一二").c_str(), 3), 0);  // fewer characters than asked
  EXPECT_EQ(IsNumWords(nullptr, 2), 0);
}

TEST(RecordSubstitution, DecodeUndoesWhatTheWriterApplied) {
  const std::string plain = gbk("中国") + "ab09";
  std::string stored = plain;
  apply_chr_substitution(reinterpret_cast<unsigned char*>(stored.data()), stored.size(), true);
  ASSERT_NE(stored, plain);
  std::string decoded = stored;
  EXPECT_EQ(DecodeChr(decoded.data(), 1), static_cast<int>(plain.size()));
  EXPECT_EQ(decoded, plain);

  // High-byte mode maps the GBK bytes only.
  std::string high = plain;
  apply_chr_substitution(reinterpret_cast<unsigned char*>(high.data()), high.size(), false);
  EXPECT_EQ(high.substr(4), "ab09");
  DecodeChr(high.data(), 0);
  EXPECT_EQ(high, plain);
}

class WordTests : public HanziLibraryTest {};

TEST_F(WordTests, IndexEntryGivesFirstRecordAndCount) {
  write("cz/cz2.inx", std::string("\x00\x00\x00\x00\x05\x01\x03\x00", 8));
  SpFile* index = _fopen((std::string(myFullPath) + "cz/cz2.inx").c_str(), kOpenRead);
  ASSERT_NE(index, nullptr);
  int count = -1;
  EXPECT_EQ(GetLib22Pos(1, &count, index), 0x105);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(GetLib22Pos(2, &count, index), -1);  // past the end
  EXPECT_EQ(count, 0);
  EXPECT_EQ(GetLib22Pos(-1, &count, index), -1);
}

TEST_F(WordTests, WordLibrariesAnswerByModeAndLength) {
  write_word_library(2, {"中国", "中间", "人民", "二十"});
  write_word_library(3, {"中国人"});
  write_word_library(4, {"中华民族"});
  write_word_library(2, {"你好"}, /*phrases=*/true);
  write_word_library(3, {"不客气"}, true);
  write_word_library(4, {"一路顺风"}, true);
  const struct {
    const char* text;
    int mode;
    int expected;
  } cases[] = {
      {"中国", 1, 1}, {"中间", 1, 1}, {"人民", 1, 1}, {"中华", 1, 0}, {"国中", 1, 0},
      {"中国人", 1, 1}, {"中华民族", 1, 1}, {"你好", 1, 0}, {"你好", 0, 1}, {"中国", 0, 0},
      {"不客气", 0, 1}, {"一路顺风", 0, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(InS2Cz(gbk(c.text).c_str(), c.mode), c.expected) << c.text << " mode " << c.mode;
  }
  // Only GB2312 hanzi are looked up.
  EXPECT_EQ(InS2Cz((gbk("中") + "ab").c_str(), 1), 0);
  EXPECT_EQ(InS2Cz(gbk("中").c_str(), 1), 0);
  EXPECT_EQ(InS2Cz(gbk("中华人民共").c_str(), 1), 0);
}

TEST_F(WordTests, MissingFilesAreReportedAndStopTheNumberGrammar) {
  write_word_library(2, {"中国"});
  std::filesystem::remove(dir_.path() / "cz/cz2.lib");
  EXPECT_EQ(InS2Cz(gbk("中国").c_str(), 1), -1);
  EXPECT_EQ(InS2Cz(gbk("中国人").c_str(), 1), -1);  // no cz3 at all
  EXPECT_EQ(IsHzWord(gbk("二十").c_str(), 1), 0);
  EXPECT_EQ(IsNumWords(gbk("二十").c_str(), 2), 1);
}

TEST_F(WordTests, EmptyGroupFallsBackToTheNumberGrammar) {
  write_word_library(2, {"中国"});
  write_word_library(3, {"中国人"});
  EXPECT_EQ(IsHzWord(gbk("中国").c_str(), 1), 1);
  EXPECT_EQ(IsHzWord(gbk("二十").c_str(), 1), 1);
  EXPECT_EQ(IsHzWord(gbk("三点五").c_str(), 1), 1);
  EXPECT_EQ(IsHzWord(gbk("中华").c_str(), 1), 0);
}

TEST_F(WordTests, FourCharactersInModeZeroNeedNoFile) {
  // Only the phrase library of four characters exists, and it holds the text: mode 0 still says
  // no, so it never looked.
  write_word_library(4, {"一二三四"}, true);
  write_word_library(4, {"一二三四"});
  EXPECT_EQ(IsHzWord(gbk("一二三四").c_str(), 0), 0);
  EXPECT_EQ(IsHzWord(gbk("一二三四").c_str(), 1), 1);
  EXPECT_EQ(IsHzWord(gbk("中").c_str(), 1), 0);
  EXPECT_EQ(IsHzWord(gbk("一二三四五").c_str(), 1), 0);
}

TEST_F(WordTests, DamagedGroupPastTheEndOfTheRecordsFindsNothing) {
  write_word_library(2, {"中国"});
  // Claim a group of 200 records although the file holds one.
  const int number = ComputeGbNo(gbk("中").c_str());
  std::string index = engine_test::read_file(dir_.path() / "cz/cz2.inx");
  index[static_cast<std::size_t>(number) * 4 + 2] = static_cast<char>(200);
  write("cz/cz2.inx", index);
  EXPECT_EQ(InS2Cz(gbk("中国").c_str(), 1), 0);
}

}  // namespace
