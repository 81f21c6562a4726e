#include "sentenceparser/core/certainty.h"

#include <gtest/gtest.h>

#include <string>

#include "sentenceparser/core/tests/core_test_support.h"

namespace {

using namespace sentence;
using sentence_test::code_of;

TEST(CertaintyTest, LettersTypedAlone) {
  const char letters[] = "ABCDEFGHJKLMNOPQRSTWXYZ";
  const int values[] = {18, 14, 7, 23, 34, 15, 15, 10, 4, 22, 12, 11, 27, 85, 14, 8, 38, 7, 9, 15, 7, 10, 7};
  for (int i = 0; letters[i] != '\0'; ++i) {
    char key[2] = {letters[i], '\0'};
    int result = -5;
    GetDanPl(key, &result);
    EXPECT_EQ(result, values[i]) << key;
    EXPECT_EQ(key[0], letters[i]);  // the caller's key is not folded
  }
  for (const char* key : {"I", "U", "V", "AB", "Oa"}) {
    int result = 77;
    GetDanPl(key, &result);
    EXPECT_EQ(result, 0) << key;
  }
}

TEST(CertaintyTest, SyllableCodes) {
  struct Case {
    const char* syllable;
    int value;
  } cases[] = {{"zen", 99}, {"zhi", 15}, {"eng", 0}, {"a", 83}, {"e", 41}, {"o", 70},
               {"er", 42},  {"ji", 9},   {"zuo", 77}, {"diu", 99}, {"lv", 0}, {"zuang", 0}};
  for (const auto& c : cases) {
    const std::string key = code_of(c.syllable);
    int result = -5;
    GetDanPl(key.c_str(), &result);
    EXPECT_EQ(result, c.value) << c.syllable;
  }
  for (const char* key : {"", "z", "z\x01", "5a", "\xB0\xA1"}) {
    int result = 77;
    GetDanPl(key, &result);
    EXPECT_EQ(result, 0) << testing::PrintToString(std::string(key));
  }
}

}  // namespace
