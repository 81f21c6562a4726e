#include "sentenceparser/core/sp_chars.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "sentenceparser/core/syllable_numbers.h"
#include "sentenceparser/core/tests/core_test_support.h"

namespace {

using namespace sentence;
using sentence_test::gbk;

TEST(GbNumberTest, NumbersAndRefusals) {
  struct Case {
    const char* text;
    int number;
  } cases[] = {
      {"\xB0\xA1", 0},     {"\xD7\xF9", 3754}, {"\xD8\xA1", 3755}, {"\xF7\xFE", 6762},
      {"\xA1\xA1", -1},    {"\xD7\xFA", -1},   {"\xD7\xFE", -1},   {"\xB0\xFF", -1},
      {"\xA3\xC1", -1},    {"\xF8\xA1", -1},   {"a", -1},          {"", -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ComputeGbNo(c.text), c.number) << testing::PrintToString(std::string(c.text));
    EXPECT_EQ(CharIsHz(c.text), c.number >= 0);
  }
}

TEST(GbNumberTest, EveryCharacterHasItsOwnNumber) {
  std::set<int> seen;
  for (int lead = 0x80; lead <= 0xFF; ++lead) {
    for (int trail = 0x40; trail <= 0xFF; ++trail) {
      const char text[3] = {static_cast<char>(lead), static_cast<char>(trail), '\0'};
      const int number = ComputeGbNo(text);
      if (number < 0) continue;
      EXPECT_TRUE(seen.insert(number).second) << std::hex << lead << trail << " repeats " << std::dec << number;
      // Every numbered cell is a real GB2312 character.
      EXPECT_TRUE(platform::text::to_utf8(text, platform::text::Encoding::Gbk).has_value());
    }
  }
  EXPECT_EQ(seen.size(), 6763u);
  EXPECT_EQ(*seen.rbegin(), 6762);
}

TEST(GbNumberTest, ChrIsChineseCountsFromOne) {
  struct Case {
    const char* text;
    int any;
    int result;
  } cases[] = {
      {"\xB0\xA1", 0, 1}, {"\xD7\xF9", 0, 3755}, {"\xD8\xA1", 0, 3756}, {"\xF7\xFE", 0, 6763},
      {"\xA3\xC1", 0, 0}, {"\xD7\xFA", 0, 0},    {"\xB0", 0, 0},        {"ab", 1, 1},
      {"a", 1, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChrIsChinese(c.text, c.any), c.result) << testing::PrintToString(std::string(c.text));
  }
}

TEST(CharTestsTest, GbAndLetterForms) {
  EXPECT_TRUE(IsGb("\xA1\xA1"));
  EXPECT_TRUE(IsGb("\xF7\xFE"));
  EXPECT_FALSE(IsGb("\xF7\xFF"));
  EXPECT_FALSE(IsGb("\xF8\xA1"));
  EXPECT_FALSE(IsGb("\xB0"));

  EXPECT_TRUE(IsQJEN(gbk("Ａ").c_str()));
  EXPECT_TRUE(IsQJEN(gbk("ｚ").c_str()));
  EXPECT_FALSE(IsQJEN(gbk("５").c_str()));
  EXPECT_FALSE(IsQJEN("\xA3\xE0"));
  EXPECT_TRUE(IsBJEN("q"));
  EXPECT_TRUE(IsBJEN("Q"));
  EXPECT_FALSE(IsBJEN("5"));
  EXPECT_FALSE(IsBJEN(""));

  EXPECT_TRUE(IsWestChar('a') && IsWestChar('Z'));
  EXPECT_FALSE(IsWestChar('[') || IsWestChar('`') || IsWestChar(0xC1));
  EXPECT_TRUE(IsDigit('0') && IsDigit('9'));
  EXPECT_FALSE(IsDigit('/') || IsDigit(':'));
}

TEST(CharTestsTest, StringIsChinese) {
  struct Case {
    std::string text;
    int strict;
    int result;
  } cases[] = {
      {gbk("中文"), 1, 1},           {gbk("中○文"), 0, 1},  {gbk("中○文"), 1, 0},
      {gbk("中a"), 1, 0},            {gbk("中") + "\xB0", 1, 0}, {gbk("中Ａ"), 0, 0},
      {"\xD7\xFA", 0, 0},            {"", 1, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StringIsChinese(c.text.c_str(), c.strict), c.result)
        << sentence_test::utf8(c.text) << " strict " << c.strict;
  }
}

}  // namespace
