#include "sentence_score.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "converter.h"

namespace sentence_accuracy {
namespace {

TEST(SentenceScore, CountsCharactersEqualAtTheSamePosition) {
  struct Case {
    const char* expected;
    const char* produced;
    std::size_t in_place;
  };
  const Case cases[] = {
      {"设置的信号", "设置的信号", 5},
      {"设置的信号", "设至的信好", 3},
      {"设置的信号", "设置", 2},            // a short output loses the rest
      {"设置的信号", "设置的信号了吗", 5},  // extra characters earn nothing
      {"设置的信号", "", 0},
      {"设置的信号", "了设置的信号", 0},    // one character too many in front shifts every other
      {"ab中", "ab中", 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(characters_in_place(utf8_characters(c.expected), utf8_characters(c.produced)), c.in_place)
        << c.expected << " / " << c.produced;
  }
}

TEST(SentenceScore, SplitsUtf8IntoCharactersAndKeepsDamagedBytesApart) {
  EXPECT_EQ(utf8_characters("a中b"), (std::vector<std::string>{"a", "中", "b"}));
  // A stray continuation byte and a lead byte cut off at the end are characters of their own.
  EXPECT_EQ(utf8_characters("\x80中\xE4\xB8"), (std::vector<std::string>{"\x80", "中", "\xE4", "\xB8"}));
  // A GBK byte pair is not taken for one UTF-8 character.
  EXPECT_EQ(utf8_characters("\xC4\xE3").size(), 2u);
  EXPECT_TRUE(utf8_characters("").empty());
}

TEST(SentenceScore, TallyAddsUpOverSentences) {
  Tally tally;
  EXPECT_EQ(tally.accuracy(), 0.0);
  EXPECT_EQ(tally.add(utf8_characters("你好"), utf8_characters("你好")), 2u);
  EXPECT_EQ(tally.add(utf8_characters("设置的信号"), utf8_characters("设至的")), 2u);
  EXPECT_EQ(tally.sentences, 2u);
  EXPECT_EQ(tally.exact, 1u);
  EXPECT_EQ(tally.characters, 7u);
  EXPECT_EQ(tally.correct, 4u);
  EXPECT_DOUBLE_EQ(tally.accuracy(), 4.0 / 7.0);
}

TEST(SentenceScore, MarksWrongAndSurplusCharacters) {
  EXPECT_EQ(marked_differences(utf8_characters("设置的"), utf8_characters("设至的了")), "设[至]的[了]");
  EXPECT_EQ(marked_differences(utf8_characters("设置的"), utf8_characters("设置的")), "设置的");
}

TEST(SentenceScore, TypedKeysSeparateEverySyllable) {
  EXPECT_EQ(typed_keys({"xi", "an"}), "xi'an");
  EXPECT_EQ(typed_keys({"lv"}), "lv");
  EXPECT_EQ(typed_keys({}), "");
}

class ReadSentences : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kep-sentence-set-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::filesystem::path write(const std::string& bytes) {
    const std::filesystem::path path = folder_ / "set.txt";
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::filesystem::path folder_;
};

TEST_F(ReadSentences, SkipsBlankLinesAndCarriageReturns) {
  std::string error;
  const auto sentences = read_sentences(write("设置的信号\r\n\n后面的参数\n"), &error);
  ASSERT_TRUE(sentences) << error;
  EXPECT_EQ(*sentences, (std::vector<std::string>{"设置的信号", "后面的参数"}));
}

TEST_F(ReadSentences, RefusesWhatIsNoSet) {
  const struct {
    const char* bytes;
    const char* says;
  } cases[] = {
      {"设置的信号\n\xC4\xE3\xBA\xC3\n", "set.txt:2: not UTF-8"},  // a GBK line
      {"\n\n", "holds no sentences"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(read_sentences(write(c.bytes), &error));
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
  std::string error;
  EXPECT_FALSE(read_sentences(folder_ / "missing.txt", &error));
  EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
}

}  // namespace
}  // namespace sentence_accuracy
