#include "sentenceparser/core/text_helpers.h"

#include <gtest/gtest.h>

#include <string>

#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/tests/core_test_support.h"

namespace {

using namespace sentence;
using sentence_test::gbk;

TEST(WidthTest, HalfToFullWidth) {
  struct Case {
    const char* text;
    std::string full;
  } cases[] = {
      {"Ab~", "\xA3\xC1\xA3\xE2\xA1\xAB"},
      {" $2", "\xA1\xA1\xA1\xE7\xA3\xB2"},
      {"Zz", gbk("Ｚｚ")},
      {"", ""},
  };
  for (const auto& c : cases) {
    char out[16];
    ASSERT_EQ(Trans_Xwen_Qjen(c.text, out), 1);
    EXPECT_EQ(std::string(out), c.full) << c.text;
  }
}

TEST(WidthTest, FullToHalfWidth) {
  struct Case {
    std::string full;
    std::string half;
  } cases[] = {
      {"\xA3\xB5\xB0\xA1", "5\xB0\xA1"},
      {gbk("　～＄Ａｚ０９"), " ~$Az09"},
      {"ab" + gbk("中"), "ab" + gbk("中")},
      {"x\xB0", "x\xB0"},  // a lead byte cut off at the end is kept as it is
  };
  for (const auto& c : cases) {
    char out[32];
    ASSERT_EQ(Trans_Qjen_Xwen(c.full.c_str(), out), 1);
    EXPECT_EQ(std::string(out), c.half);
  }
}

TEST(WidthTest, LettersSurviveTheRoundTrip) {
  const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  char full[2 * 52 + 1];
  char half[53];
  ASSERT_EQ(Trans_Xwen_Qjen(letters.c_str(), full), 1);
  ASSERT_EQ(Trans_Qjen_Xwen(full, half), 1);
  EXPECT_EQ(std::string(half), letters);
  for (char c : letters) EXPECT_EQ(GbToAscii(AsciiToGb(static_cast<unsigned char>(c))), c);
}

TEST(WidthTest, LongTextsAreRefused) {
  const std::string longest(259, 'a');
  const std::string too_long(260, 'a');
  std::string out(2 * 260 + 1, 'x');
  EXPECT_EQ(Trans_Xwen_Qjen(too_long.c_str(), out.data()), 0);
  EXPECT_EQ(out[0], 'x');
  EXPECT_EQ(Trans_Qjen_Xwen(too_long.c_str(), out.data()), 0);
  EXPECT_EQ(out[0], 'x');
  EXPECT_EQ(Trans_Xwen_Qjen(longest.c_str(), out.data()), 1);
  EXPECT_EQ(std::string(out.c_str()).size(), 2 * longest.size());
}

TEST(CleanUpTest, ClearSpace) {
  char text[] = "ni hao  ma ";
  ClearSpace(text);
  EXPECT_STREQ(text, "nihaoma");

  std::string at_limit = std::string(130, 'a') + " " + std::string(129, 'b');
  ClearSpace(at_limit.data());
  EXPECT_EQ(std::string(at_limit.c_str()), std::string(130, 'a') + std::string(129, 'b'));

  std::string too_long = std::string(150, 'a') + " " + std::string(149, 'b');
  const std::string before = too_long;
  ClearSpace(too_long.data());
  EXPECT_EQ(too_long, before);
}

TEST(CleanUpTest, ClearXinhaoOnlyAfterACorrection) {
  char text[] = "ni*hao*";
  MyCorrected = 0;
  ClearXinhao(text);
  EXPECT_STREQ(text, "ni*hao*");

  MyCorrected = 1;
  ClearXinhao(text);
  EXPECT_STREQ(text, "nihao");
  EXPECT_EQ(MyCorrected, 0);

  char other[] = "a-b-c";
  ClearChar(other, '-');
  EXPECT_STREQ(other, "abc");
}

}  // namespace
