#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "sentenceparser/core/syllable_forms.h"

namespace {

using namespace sentence;

struct RestCode {
  const char* rest;
  const char* code;
};

// Every rest with its code, and the upper-case letters the correction files code the same way.
constexpr RestCode kRestCodes[] = {
    {"a", "a"},    {"ai", "b"},    {"an", "c"},    {"ang", "d"},  {"ao", "e"},    {"e", "f"},
    {"ei", "g"},   {"en", "h"},    {"eng", "i"},   {"ha", "j"},   {"hai", "k"},   {"han", "l"},
    {"hang", "m"}, {"hao", "n"},   {"he", "o"},    {"hei", "p"},  {"hen", "q"},   {"heng", "r"},
    {"hi", "s"},   {"hong", "t"},  {"hou", "u"},   {"hu", "v"},   {"hua", "w"},   {"huai", "x"},
    {"huan", "y"}, {"huang", "z"}, {"hui", "S"},   {"hun", "T"},  {"huo", "U"},   {"i", "V"},
    {"ia", "W"},   {"ian", "X"},   {"iang", "Y"},  {"iao", "Z"},  {"ie", "0"},    {"in", "1"},
    {"ing", "2"},  {"iong", "3"},  {"iu", "4"},    {"n", "5"},    {"ng", "6"},    {"o", "7"},
    {"ong", "8"},  {"ou", "9"},    {"r", "`"},     {"u", "~"},    {"ua", "!"},    {"uai", "@"},
    {"uan", "#"},  {"uang", "$"},  {"ue", "%"},    {"ui", "^"},   {"un", "&"},    {"uo", "*"},
    {"v", "/"},    {"ve", "?"},    {"A", "("},     {"B", ")"},    {"C", "-"},     {"D", "_"},
    {"E", "="},    {"F", "+"},     {"G", "["},     {"H", "{"},    {"I", "]"},     {"J", "}"},
    {"K", "|"},    {"L", ";"},     {"M", ":"},     {"N", "'"},    {"O", ","},     {"P", "<"},
    {"Q", "."},    {"R", ">"},
};

TEST(SyllableFormTest, EveryRestHasItsCodeBothWays) {
  std::set<std::string> codes;
  for (const auto& entry : kRestCodes) {
    char text[kSyllableRestRoom] = {};
    std::snprintf(text, sizeof text, "%s", entry.rest);
    EXPECT_EQ(tranym(text, 0), 0) << entry.rest;
    EXPECT_STREQ(text, entry.code) << entry.rest;
    EXPECT_EQ(tranym(text, 1), 0) << entry.code;
    EXPECT_STREQ(text, entry.rest) << entry.code;
    codes.insert(entry.code);
  }
  EXPECT_EQ(codes.size(), std::size(kRestCodes));  // one-to-one
}

TEST(SyllableFormTest, TextOutsideTheTableStaysAsItWas) {
  struct Case {
    const char* text;
    int direction;
  } cases[] = {{"xyz", 0}, {"", 0}, {"S", 0}, {"hongg", 0}, {"A", 1}, {"tt", 1}, {"", 1}, {"s", 0}};
  for (const auto& c : cases) {
    char text[kSyllableRestRoom] = {};
    std::snprintf(text, sizeof text, "%s", c.text);
    EXPECT_NE(tranym(text, c.direction), 0) << c.text;
    EXPECT_STREQ(text, c.text) << c.text;
  }
}

TEST(SyllableFormTest, KeysOfSyllableRunsAndBack) {
  struct Case {
    const char* syllables;
    const char* key;
  } cases[] = {
      {"zhong+guo", "zgt*"},
      {"e", "e."},
      {"a+o+e", "aoe<>."},
      {"shuang+ai+lve+kuang", "salkzV?$"},
      {"xi+an+zhuang+a+e+o+chi+ba", "xazaeocbV5z<.>sa"},
  };
  for (const auto& c : cases) {
    char key[kCorrectionKeySize] = {};
    ASSERT_TRUE(BuildCorrectionKey(c.syllables, key)) << c.syllables;
    EXPECT_STREQ(key, c.key) << c.syllables;
    char back[kCorrectionSyllablesSize] = {};
    ASSERT_TRUE(CorrectionKeyToSyllables(key, back)) << c.key;
    EXPECT_STREQ(back, c.syllables) << c.key;
  }
}

TEST(SyllableFormTest, RunsWithoutAKeyAreRefused) {
  const char* runs[] = {
      "",  "zhong+",     "+guo", "zhong++guo", "xyz", "n",
      "ba+ba+ba+ba+ba+ba+ba+ba+ba",  // nine syllables
      "zhong+abcdefghijklmnop",      // a 16-letter syllable
  };
  for (const char* run : runs) {
    char key[kCorrectionKeySize] = "stale";
    EXPECT_FALSE(BuildCorrectionKey(run, key)) << run;
    EXPECT_STREQ(key, "") << run;
  }
  const char* keys[] = {"", "zgt", "zA", "zgtA", "abcdefghijklmnopqr"};
  for (const char* key : keys) {
    char syllables[kCorrectionSyllablesSize] = "stale";
    EXPECT_FALSE(CorrectionKeyToSyllables(key, syllables)) << key;
    EXPECT_STREQ(syllables, "") << key;
  }
}

}  // namespace
