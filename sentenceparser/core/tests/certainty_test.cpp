#include "sentenceparser/core/certainty.h"

#include <gtest/gtest.h>

#include <string>

#include "sentenceparser/core/tests/core_test_support.h"

namespace {

using namespace sentence;
using sentence_test::code_of;

TEST(CertaintyTest, LettersTypedAloneAreFoldedInPlace) {
  const char letters[] = "ABCDEFGHJKLMNOPQRSTWXYZ";
  const int values[] = {18, 14, 7, 23, 34, 15, 15, 10, 4, 22, 12, 11, 27, 85, 14, 8, 38, 7, 9, 15, 7, 10, 7};
  for (int i = 0; letters[i] != '\0'; ++i) {
    char key[2] = {letters[i], '\0'};
    int result = -5;
    GetDanPl(key, &result);
    EXPECT_EQ(result, values[i]) << letters[i];
    EXPECT_EQ(key[0], letters[i] - 'A' + 'a');
  }
}

TEST(CertaintyTest, KeysWithoutAnEntryKeepTheCallersValue) {
  // Upper-case keys are folded even when they have no value; other keys stay as they are.
  struct Case {
    std::string key;
    std::string after;
  } cases[] = {{"I", "i"},   {"U", "u"},     {"V", "v"}, {"AB", "ab"}, {"Oa", "oa"}, {"", ""},
               {"z", "z"},   {"z\x01", "z\x01"}, {"5a", "5a"}, {"\xB0\xA1", "\xB0\xA1"},
               {code_of("eng"), code_of("eng")}, {code_of("lv"), code_of("lv")},
               {code_of("zuang"), code_of("zuang")}};
  for (Case& c : cases) {
    int result = 77;
    GetDanPl(c.key.data(), &result);
    EXPECT_EQ(result, 77) << testing::PrintToString(c.after);
    EXPECT_EQ(c.key, c.after);
  }
}

TEST(CertaintyTest, SyllableCodes) {
  struct Case {
    const char* syllable;
    int value;
  } cases[] = {{"zen", 99}, {"zhi", 15}, {"a", 83},   {"e", 41},   {"o", 70},
               {"er", 42},  {"ji", 9},   {"zuo", 77}, {"diu", 99}, {"zhuai", 99}};
  for (const auto& c : cases) {
    std::string key = code_of(c.syllable);
    const std::string before = key;
    int result = -5;
    GetDanPl(key.data(), &result);
    EXPECT_EQ(result, c.value) << c.syllable;
    EXPECT_EQ(key, before);
  }
}

}  // namespace
