#include "sentenceparser/core/text_clip.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sentenceparser/core/char_classes.h"
#include "sentenceparser/core/tests/hanzi_library_fixture.h"

using namespace sentence;
using namespace sentence_test;

namespace {

class TextClip : public HanziLibraryTest {
 protected:
  void TearDown() override {
    FreeHZNCM();
    HanziLibraryTest::TearDown();
  }
  // The clip of a UTF-8 text, back in UTF-8; "<0>" when clipping refused it.
  static std::string clip(const std::string& text) {
    char out[kHzClipOutputSize];
    std::memset(out, '#', sizeof out);
    if (HzClip(gbk(text).c_str(), out, sizeof out) != 1) return "<0>";
    return utf8(out);
  }
};

TEST_F(TextClip, CutsTextIntoUnitsByClass) {
  write_word_library(2, {"中文", "中国", "人民"});
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"abc，123", "abc_，_123"},   // letters and digits are one class
      {"abc123", "abc123"},
      {"a-1.5%", "a-1.5%"},
      {"a  b", "a_  _b"},            // blanks form one unit
      {"a\tb", "a_ _b"},             // tab and LF become blanks
      {"a\nb", "a_ _b"},
      {"a\t\nb", "a_  _b"},
      {"word\rword", "word_\x7f_word"},  // CR between words keeps them apart
      {"ab\r\ncd", "ab_\x7f_ _cd"},       // CR before LF: only the letter before counts
      {"ＡＢ\rＣＤ", "ＡＢ_\x7f_ＣＤ"},  // full-width letters too
      {"中\r文", "中文"},                // CR between hanzi is dropped
      {"1\r2", "12"},                    // digits are no letters
      {"\rab", "ab"},                    // first byte
      {"ab\r", "ab"},                    // last byte
      {"a\r\rb", "ab"},
      {"((a))", "(_(_a_)_)"},            // brackets are single units
      {"１２ＡＢ　　！", "１２_ＡＢ_　　_！"},
      {"“中国”", "“_中国_”"},
      {"中国，人民。", "中国_，_人民_。"},
      {"中国…人民", "中国_…_人民"},
  };
  for (const auto& c : cases) EXPECT_EQ(clip(c.text), c.expected) << c.text;
}

TEST_F(TextClip, RefusesTextsTooShortOrWithoutItems) {
  const std::string three_high = gbk("中") + "a";
  const char* refused[] = {"", "a", "\r\r", "\r\r\r"};
  char out[kHzClipOutputSize] = "untouched";
  EXPECT_EQ(HzClip(three_high.c_str(), out, sizeof out), 0);
  for (const char* text : refused) EXPECT_EQ(HzClip(text, out, sizeof out), 0) << text;
  EXPECT_EQ(HzClip(nullptr, out, sizeof out), 0);
  EXPECT_STREQ(out, "untouched");
  EXPECT_EQ(clip("中a1"), "中_a1");  // four bytes are enough
  EXPECT_EQ(clip("ab"), "ab");
}

TEST_F(TextClip, LongTextIsClippedFromItsFirst511BytesAtACharacterBoundary) {
  std::string hanzi;
  for (int i = 0; i < 300; ++i) hanzi += gbk("的");
  char buffer[kClipTextMax + 1];
  EXPECT_EQ(IfMore(("a" + hanzi).c_str(), buffer), 511);
  EXPECT_EQ(IfMore(("ab" + hanzi).c_str(), buffer), 510);  // the next hanzi would reach 512
  EXPECT_EQ(std::string(buffer), ("ab" + hanzi).substr(0, 510));
  EXPECT_EQ(IfMore("short", buffer), 5);

  char out[kHzClipOutputSize];
  ASSERT_EQ(HzClip(hanzi.c_str(), out, sizeof out), 1);
  std::string expected;
  for (int i = 0; i < 255; ++i) expected += (i == 0 ? "" : "_") + gbk("的");
  EXPECT_EQ(std::string(out), expected);
}

TEST_F(TextClip, OutputStaysWithinItsBoundOrIsRefused) {
  // Every byte a unit of its own: the longest possible result.
  const std::string brackets(600, '(');
  char out[kHzClipOutputSize];
  ASSERT_EQ(HzClip(brackets.c_str(), out), 1);
  EXPECT_EQ(std::strlen(out), 2 * kClipTextMax - 1);

  char small[10] = "keep";
  EXPECT_EQ(HzClip("abc,def", small, sizeof small), 1);  // 9 bytes and the NUL fit
  EXPECT_STREQ(small, "abc_,_def");
  std::strcpy(small, "keep");
  EXPECT_EQ(HzClip("abcd,efg", small, sizeof small), 0);  // 10 bytes do not
  EXPECT_STREQ(small, "keep");
}

TEST(CharacterClasses, FollowTheClassTable) {
  const struct {
    const char* character;
    int type;
  } wide[] = {
      {"中", 1},  {"０", 22}, {"９", 22}, {"Ａ", 23}, {"ｚ", 23}, {"‘", 24}, {"“", 25}, {"【", 32},
      {"（", 33}, {"｛", 35}, {"’", 36},  {"）", 45}, {"｝", 47}, {"…", 48}, {"　", 49}, {"！", 50},
      {"，", 51}, {"。", 52}, {"：", 53}, {"；", 54}, {"？", 55}, {"、", 56}, {"·", 57}, {"¨", 57},
      {"─", 57},  {"│", 57},  {"※", 58}, {"①", 58},
  };
  for (const auto& c : wide) {
    const std::string text = gbk(c.character);
    const Dbch item = make_dbch(static_cast<unsigned char>(text[0]), static_cast<unsigned char>(text[1]));
    EXPECT_EQ(TypeOfDbch(item), c.type) << c.character;
  }
  const struct {
    unsigned char byte;
    int type;
  } single[] = {
      {'a', 2},  {'Z', 2},  {'7', 2},  {'-', 2},  {'.', 2},  {'%', 2},   {'(', 4},  {'[', 5},
      {'{', 6},  {')', 7},  {']', 8},  {'}', 9},  {' ', 10}, {',', 12},  {'!', 13}, {':', 14},
      {';', 15}, {'?', 16}, {127, 18}, {'\'', 19}, {0xA3, 20}, {'"', 21}, {'*', 21}, {0x80, 21},
  };
  for (const auto& c : single) EXPECT_EQ(TypeOfDbch(make_dbch(0, c.byte)), c.type) << int(c.byte);
}

TEST(CharacterClasses, ItemsKeepGbkPairsAndTurnControlBytesIntoBlanks) {
  const std::string text = "a\t" + gbk("中") + "\xD6" + "b";
  Dbch items[kDbchItemsMax];
  ASSERT_EQ(CharToDbch(text.c_str(), items), 5);
  const std::string zhong = gbk("中");
  const Dbch expected[] = {make_dbch(0, 'a'), make_dbch(0, ' '),
                           make_dbch(static_cast<unsigned char>(zhong[0]), static_cast<unsigned char>(zhong[1])),
                           make_dbch(0, 0xD6), make_dbch(0, 'b'), 0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(items[i], expected[i]) << i;

  // Never more than 511 bytes, a lead byte at the limit standing alone.
  std::string long_text(510, 'x');
  long_text += zhong;
  EXPECT_EQ(CharToDbch(long_text.c_str(), items), 511);
  EXPECT_EQ(items[510], make_dbch(0, static_cast<unsigned char>(zhong[0])));
  EXPECT_EQ(items[511], 0);
}

TEST(LineBreaks, PositionsNameTheSourceCharacters) {
  const struct {
    std::string text;
    std::string expected;
    std::vector<int> positions;
  } cases[] = {
      {"ab\rcd", "ab\x7f" "cd", {1, 2, 3, 4, 5}},
      {"a\r1b", "a1b", {1, 3, 4}},
      {gbk("中") + "\r" + gbk("文"), gbk("中文"), {1, 3}},
      {"ab\x8D\x8A" "c", "ab\x7f\x8A" "c", {1, 2, 3, 4, 5}},
      {gbk("Ａ") + "\r" + gbk("Ｂ"), gbk("Ａ") + "\x7f" + gbk("Ｂ"), {1, 2, 3}},
  };
  for (const auto& c : cases) {
    char out[kClipTextMax + 1];
    int positions[kClipTextMax];
    const int count = FiltCheckString(c.text.c_str(), out, positions);
    EXPECT_EQ(std::string(out), c.expected) << utf8(c.text);
    ASSERT_EQ(count, static_cast<int>(c.positions.size())) << utf8(c.text);
    EXPECT_EQ(std::vector<int>(positions, positions + count), c.positions) << utf8(c.text);
  }
}

TEST_F(TextClip, UnitsCarryTheirClassAndPart) {
  ASSERT_EQ(GetHZNCM(gbk("abc，12 （").c_str()), 8);
  ASSERT_EQ(Current_HzNcm_Item, 5);
  const int classes[] = {2, 51, 2, 10, 33};
  const char* texts[] = {"abc", "，", "12", " ", "（"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(unit_class(HZNCM_Handle[i]), classes[i]) << i;
    EXPECT_EQ(unit_part(HZNCM_Handle[i]), 0) << i;
    EXPECT_EQ(HZNCM_Handle[i].text, gbk(texts[i])) << i;
    EXPECT_EQ(HZNCM_Handle[i].length, gbk(texts[i]).size()) << i;
  }
  FreeHZNCM();
  EXPECT_EQ(Current_HzNcm_Item, 0);
  EXPECT_EQ(HZNCM_Handle, nullptr);
}

TEST_F(TextClip, UnitListRefusesUnitsBeyondItsSize) {
  ASSERT_EQ(GetHZNCM("ab"), 2);  // one unit, room for four
  EXPECT_TRUE(MakeHZNCM("c", 2, 0));
  EXPECT_TRUE(MakeHZNCM("d", 2, 0));
  EXPECT_TRUE(MakeHZNCM("e", 2, 0));
  EXPECT_FALSE(MakeHZNCM("f", 2, 0));
  EXPECT_EQ(Current_HzNcm_Item, 4);
  char out[16];
  EXPECT_EQ(TakeOut(out, sizeof out), 8);
  EXPECT_STREQ(out, "ab_c_d_e");
  EXPECT_EQ(TakeOut(out, 8), -1);  // no room for the NUL
  EXPECT_STREQ(out, "");
  FreeHZNCM();
  EXPECT_FALSE(MakeHZNCM("g", 2, 0));  // no list
}

}  // namespace
