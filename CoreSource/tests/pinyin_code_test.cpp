#include "tables/pinyin_code.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(PinyinCodeTest, EverySyllableRoundTripsThroughItsCode) {
  std::set<std::string> codes;
  for (int i = 0; ime_all_syllables[i]; ++i) {
    const char* syllable = ime_all_syllables[i];
    char initial = 0, code = 0;
    ime_decompose_py(syllable, &initial, &code);
    ASSERT_NE(code, '\0') << syllable << " has no final code";
    char rebuilt[8] = {};
    ime_compose_py(initial, code, rebuilt);
    EXPECT_STREQ(rebuilt, syllable);
    EXPECT_TRUE(codes.insert(std::string{initial, code}).second) << "duplicate code for " << syllable;
  }
  EXPECT_GT(codes.size(), 400u);
}

TEST(PinyinCodeTest, DecomposesKnownSyllables) {
  struct Case {
    const char* syllable;
    char initial, code;
  } cases[] = {{"zhuang", 'z', 'z'}, {"a", 'a', '<'}, {"er", 'e', '`'}, {"lve", 'l', '?'},
               {"nv", 'n', '/'},     {"e", 'e', '.'}, {"o", 'o', '>'},  {"shi", 's', 's'}};
  for (const auto& c : cases) {
    char initial = 0, code = 0;
    ime_decompose_py(c.syllable, &initial, &code);
    EXPECT_EQ(initial, c.initial) << c.syllable;
    EXPECT_EQ(code, c.code) << c.syllable;
  }
}

TEST(PinyinCodeTest, ComposesLiterally) {
  struct Case {
    char initial, code;
    const char* text;
  } cases[] = {{'a', '<', "a"}, {'z', 'v', "zhu"}, {'n', '5', "nn"}, {'b', '\x01', "b"},
               {'x', '(', "xA"}};
  for (const auto& c : cases) {
    char out[8] = {};
    ime_compose_py(c.initial, c.code, out);
    EXPECT_STREQ(out, c.text);
  }
}

TEST(PinyinCodeTest, TransYmMissesLeaveOutputAlone) {
  char out[8] = "keep";
  EXPECT_NE(ime_trans_ym("er", out, 0), 0);
  EXPECT_STREQ(out, "keep");
  EXPECT_NE(ime_trans_ym("ab", out, 1), 0);
  EXPECT_EQ(ime_trans_ym("r", out, 0), 0);
  EXPECT_STREQ(out, "`");
  char special[8] = {};
  EXPECT_EQ(ime_dan_to_shuang("eQ", special, 0), 0);
  EXPECT_STREQ(special, "e");
  EXPECT_NE(ime_dan_to_shuang("ma", special, 1), 0);
  EXPECT_STREQ(special, "ma");
}

}  // namespace
