#include "sentenceparser/core/syllable_numbers.h"

#include <gtest/gtest.h>

#include <string>

#include "sentenceparser/core/syllable_list.h"

namespace {

using namespace sentence;

TEST(SyllableNumberTest, KnownNumbers) {
  struct Case {
    const char* text;
    int number;
  } cases[] = {
      {"aP", 0},  {"ai", 1},  {"zu", 432}, {"lve", 188}, {"lv", 189}, {"eQ", 78},  {"oR", 236},
      {"a", -1},  {"", -1},   {"A", -1},   {"Ai", -1},   {"xyz", -1}, {"zuu", -1}, {"5a", -1},
      {"aaaaaaaaaaaaaaaaaaaaa", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(getpyno(c.text), c.number) << c.text;
}

TEST(SyllableNumberTest, EveryTextFindsItsOwnNumber) {
  for (int n = 0; n < kSyllableTextCount; ++n) {
    EXPECT_EQ(getpyno(kSyllableTexts[n]), n) << kSyllableTexts[n];
    EXPECT_STREQ(pyno_text(n), kSyllableTexts[n]);
  }
  EXPECT_EQ(pyno_text(-1), nullptr);
  EXPECT_EQ(pyno_text(kSyllableCount), nullptr);
}

TEST(SyllableNumberTest, BaseTwentySixNumbers) {
  EXPECT_EQ(GetPy2No("ab"), 1);
  EXPECT_EQ(GetPy2No("Zz"), 675);
  EXPECT_EQ(GetPy2No("a1"), -1);
  EXPECT_EQ(GetPy2No("a"), -1);
  EXPECT_EQ(GetPy3No("abc"), 28);
  EXPECT_EQ(GetPy3No("ZZZ"), 17575);
  EXPECT_EQ(GetPy3No("ab"), -1);
  EXPECT_EQ(GetPy4No("abcd"), 676 + 2 * 26 + 3);
  EXPECT_EQ(GetPy4No("zzzz"), 25 * 17576 + 25 * 676 + 25 * 26 + 25);
  // Short texts are read up to their end only.
  EXPECT_EQ(GetPy4No("bcd"), 17576 + 2 * 676 + 3 * 26 - 'a');
}

TEST(SyllableNumberTest, OneVowelSyllablesAreMarkedAndUnmarked) {
  struct Case {
    const char* text;
    int flag;
    const char* result;
  } cases[] = {{"a", 1, "aP"}, {"e", 1, "eQ"}, {"o", 1, "oR"}, {"a", 0, "a"},
               {"i", 1, "i"},  {"an", 1, "an"}, {"", 1, ""},    {"aP", 0, "a"},
               {"eQ", 0, "e"}, {"oR", 0, "o"},  {"aP", 1, "aP"}, {"aQ", 0, "aQ"}, {"", 0, ""}};
  for (const auto& c : cases) {
    char text[3] = {};
    std::snprintf(text, sizeof text, "%s", c.text);
    dan_to_shuang(text, c.flag);
    EXPECT_STREQ(text, c.result) << c.text;
  }
}

}  // namespace
