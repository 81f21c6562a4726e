#include "candidatewindow/skin/ini_values.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using kepskin::GetIntItems;

TEST(GetIntItemsTest, ReadsListsTheWayTheSkinsWriteThem) {
  const struct {
    const char* text;
    int count;
    int stored;
    std::array<int, 4> expected;
  } cases[] = {
      {" 1 , 0x0A ,20", 3, 3, {1, 10, 20, -1}},
      {"0XfF,0x,12", 4, 3, {255, 0, 12, -1}},        // an empty hex number is 0
      {"abc,7", 4, 2, {0, 7, -1, -1}},                // text that is no number is 0
      {"1,2,3,4,5", 3, 3, {1, 2, 3, -1}},             // items beyond the count are ignored
      {"5", 4, 1, {5, -1, -1, -1}},                   // the rest keeps what it held
      {"", 4, 0, {-1, -1, -1, -1}},                   // nothing to read
      {"1,,3", 4, 3, {1, 0, 3, -1}},                  // an empty item keeps its place
      {"0xFFFFFFFF,-4,99999999999", 3, 3, {-1, -4, 2147483647, -1}},
      {"\t0x00ff00 ,\t 3", 2, 2, {0xff00, 3, -1, -1}},
  };
  for (const auto& item : cases) {
    std::array<int, 4> values{-1, -1, -1, -1};
    EXPECT_EQ(GetIntItems(item.text, std::span(values.data(), static_cast<std::size_t>(item.count))), item.stored)
        << item.text;
    EXPECT_EQ(values, item.expected) << item.text;
  }
}

TEST(IniValuesTest, KeysAreFoundWhateverTheirCaseAndBySchemeIndex) {
  auto ini = kepskin::parse_ini_text(
      "[Scheme_V1]\nLayout_Horizontal = 2,3,4\nOpaque = 0x10\nflag = yes\n"
      "[scheme_h1]\nopaque = 010\n[Display]\nFont_CH = 宋体\nbad = \xff\xfe\n");
  ASSERT_TRUE(ini);
  EXPECT_STREQ(kepskin::_iniparser_getstring(ini.get(), 2, "LAYOUT_HORIZONTAL", "none"), "2,3,4");
  EXPECT_EQ(kepskin::_iniparser_getint(ini.get(), 2, "opaque", -1), 16);
  EXPECT_EQ(kepskin::_iniparser_getint(ini.get(), 0, "opaque", -1), 8);  // C literal: leading 0 is octal
  EXPECT_EQ(kepskin::_iniparser_getbool(ini.get(), 2, "flag", 0), 1);
  EXPECT_EQ(kepskin::_iniparser_getint(ini.get(), 1, "opaque", -1), -1);  // another section
  EXPECT_EQ(kepskin::_iniparser_getint(ini.get(), 4, "opaque", -1), -1);  // no such scheme index
  EXPECT_EQ(kepskin::_iniparser_getint(ini.get(), -1, "opaque", -1), -1);
  EXPECT_EQ(kepskin::_iniparser_getint(nullptr, 2, "opaque", -1), -1);
  EXPECT_EQ(kepskin::iniparser_getnsstring(ini.get(), "DISPLAY:font_ch", "x"), "宋体");
  EXPECT_EQ(kepskin::iniparser_getnsstring(ini.get(), "display:bad", "fallback"), "fallback");  // not UTF-8
  EXPECT_EQ(kepskin::iniparser_getnsstring(ini.get(), "display:none", "fallback"), "fallback");
  EXPECT_EQ(kepskin::iniparser_getnsstring(nullptr, "display:font_ch", "fallback"), "fallback");
}

TEST(IniValuesTest, OverlongComposedKeysAnswerTheDefault) {
  const std::string key(118, 'k');  // "scheme_h1:" + 118 = 128 characters
  auto ini = kepskin::parse_ini_text("[scheme_h1]\n" + key + " = 5\n" + key.substr(1) + " = 6\n");
  ASSERT_TRUE(ini);
  EXPECT_EQ(kepskin::_iniparser_getint(ini.get(), 0, key, -1), -1);
  EXPECT_EQ(kepskin::_iniparser_getint(ini.get(), 0, key.substr(1), -1), 6);
}

TEST(IniValuesTest, UnparsableTextGivesNoDictionary) {
  EXPECT_FALSE(kepskin::parse_ini_text("[display\nfont_ch = x\n"));
  EXPECT_FALSE(kepskin::parse_ini_text("[display]\nfont_ch = " + std::string(5000, 'x') + "\n"));
}

TEST(IniValuesTest, LowerKeyTouchesOnlyAsciiLetters) {
  EXPECT_EQ(kepskin::lower_key("Scheme_H1:Custom0_Align"), "scheme_h1:custom0_align");
  EXPECT_EQ(kepskin::lower_key("ÄB宋"), "Äb宋");
}

}  // namespace
