#include "sentenceparser/core/convert.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/tests/convert_fixture.h"

namespace sentence {
namespace {

using testing::DanTableFixture;
using testing::item_character;
using testing::item_letters;

class SendpyTest : public DanTableFixture {
 protected:
  void SetUp() override { LoadRows({{"ni", testing::kNi}, {"hao", testing::kHao}}); }

  int Build(const std::string& input) { return sendpy(input.c_str(), ""); }
};

struct ExpectedItem {
  std::string letters;
  unsigned flags;
};

struct SplitCase {
  std::string input;
  std::vector<ExpectedItem> items;
};

class SendpySplitTest : public SendpyTest, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(SendpySplitTest, SplitsIntoItems) {
  const SplitCase& c = GetParam();
  ASSERT_EQ(Build(c.input), static_cast<int>(c.items.size()));
  ASSERT_EQ(CurrentItem, static_cast<int>(c.items.size()));
  for (std::size_t i = 0; i < c.items.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(item_letters(NCM[i]), c.items[i].letters);
    EXPECT_EQ(NCM[i].flags, c.items[i].flags);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, SendpySplitTest,
    ::testing::Values(
        SplitCase{"ni_hao", {{"ni", 0x02}, {"hao", 0x02}}},
        SplitCase{"ni", {{"ni", 0x02}}},
        // The seventh letter of one syllable is dropped.
        SplitCase{"Beijing", {{"Beijin", 0x06}}},
        SplitCase{"ni_Hao", {{"ni", 0x02}, {"Hao", 0x06}}},
        SplitCase{"lue", {{"lve", 0x02}}},
        SplitCase{"nue", {{"nve", 0x02}}},
        SplitCase{"yv", {{"yu", 0x02}}},
        SplitCase{"lu_e", {{"lu", 0x02}, {"e", 0x02}}},
        SplitCase{"nue_lue", {{"nve", 0x02}, {"lve", 0x02}}},
        SplitCase{"__ni__", {{"ni", 0x02}}},
        SplitCase{"", {}},
        // Letters after a sign open their own item instead of vanishing into it.
        SplitCase{"ni,hao", {{"ni", 0x02}, {",", 0x61}, {"hao", 0x02}}},
        SplitCase{"12", {{"1", 0x61}, {"2", 0x61}}}));

TEST_F(SendpyTest, DigitBeforeSyllableIsItsOwnFixedItem) {
  ASSERT_EQ(Build("3ge"), 2);
  EXPECT_EQ(item_letters(NCM[0]), "3");
  EXPECT_EQ(NCM[0].flags, 0x61);
  EXPECT_EQ(NCM[0].flags2, kItemDigit);
  EXPECT_EQ(NCM[0].character[0], 0);
  EXPECT_EQ(NCM[0].character[1], '3');
  EXPECT_EQ(item_letters(NCM[1]), "ge");
  EXPECT_EQ(NCM[1].flags, kItemPinyin);
  EXPECT_EQ(NCM[1].flags2, 0);
}

TEST_F(SendpyTest, PunctuationIsFixedButNoDigit) {
  ASSERT_EQ(Build("ni?"), 2);
  EXPECT_EQ(NCM[1].flags, 0x61);
  EXPECT_EQ(NCM[1].flags2, 0);
  EXPECT_EQ(NCM[1].character[1], '?');
}

TEST_F(SendpyTest, ChineseCharacterGetsItsReading) {
  ASSERT_EQ(Build(std::string("hao") + testing::kNi), 2);
  const Item& given = NCM[1];
  EXPECT_EQ(given.flags, kItemFixed | kItemPinyin | kItemChinese | kItemGiven | kItemWordStart |
                             kItemWordEnd);
  EXPECT_EQ(item_letters(given), "ni");
  EXPECT_EQ(item_character(given), testing::kNi);
}

TEST_F(SendpyTest, ChineseCharacterEndsSyllableBeforeIt) {
  ASSERT_EQ(Build(std::string("Bei") + testing::kNi + "hao"), 3);
  EXPECT_EQ(item_letters(NCM[0]), "Bei");
  EXPECT_EQ(item_character(NCM[1]), testing::kNi);
  EXPECT_EQ(item_letters(NCM[2]), "hao");
}

TEST_F(SendpyTest, OtherTwoByteUnitIsFixedWithoutReading) {
  // A GBK extension character has no GB2312 reading; a full-width sign neither.
  for (const char* unit : {"\x81\x40", "\xA3\xBF"}) {
    SCOPED_TRACE(unit);
    ASSERT_EQ(Build(std::string("ni") + unit), 2);
    EXPECT_EQ(NCM[1].flags, 0x79);
    EXPECT_EQ(item_letters(NCM[1]), "");
    EXPECT_EQ(item_character(NCM[1]), unit);
  }
}

TEST_F(SendpyTest, FullWidthDigitIsMarkedOnlyWhenAligned) {
  ASSERT_EQ(Build("\xA3\xB3"), 1);  // full-width 3
  EXPECT_EQ(NCM[0].flags2, kItemDigit);
  // B0A3 would be found between two digits by a byte search; it is a Chinese character.
  ASSERT_EQ(Build("\xB0\xA3"), 1);
  EXPECT_EQ(NCM[0].flags2, 0);
}

TEST_F(SendpyTest, LoneLeadByteAtEndMakesNoItem) {
  std::string input = "ni_hao";
  input.push_back('\xC4');
  ASSERT_EQ(Build(input), 2);
  EXPECT_EQ(item_letters(NCM[1]), "hao");
  EXPECT_EQ(NCM[2].flags, 0);
  EXPECT_EQ(NCM[2].character[0], 0);
}

TEST_F(SendpyTest, PresetCharactersFixTheirItems) {
  const std::string preset = std::string("\xA1\xA1") + testing::kHao;
  ASSERT_EQ(sendpy("ni_hao", preset.c_str()), 2);
  EXPECT_EQ(NCM[0].flags, kItemPinyin);  // a full-width blank is no Chinese character
  EXPECT_EQ(NCM[1].flags, 0x7B);
  EXPECT_EQ(item_character(NCM[1]), testing::kHao);
}

TEST_F(SendpyTest, TableHoldsExactlyItsItems) {
  EXPECT_EQ(Build(std::string(kMaxItems, '7')), kMaxItems);
  EXPECT_EQ(NCM[kMaxItems - 1].character[1], '7');
}

TEST_F(SendpyTest, OneItemTooManyIsRefusedAndLeavesNothing) {
  for (const std::string& input :
       {std::string(kMaxItems + 1, '7'), std::string(kMaxItems, '7') + "ni",
        std::string(kMaxItems, '7') + testing::kNi}) {
    EXPECT_EQ(Build(input), kConvertTooManyItems);
    EXPECT_EQ(CurrentItem, 0);
    EXPECT_EQ(NCM[0].flags, 0);
    EXPECT_EQ(NCM[kMaxItems - 1].flags, 0);
  }
}

TEST_F(SendpyTest, ResetClearsEveryItem) {
  ASSERT_EQ(Build("ni_hao"), 2);
  NCM[kMaxItems - 1].weight = 9;
  resetpy();
  EXPECT_EQ(CurrentItem, 0);
  EXPECT_EQ(NCM[0].flags, 0);
  EXPECT_EQ(item_letters(NCM[1]), "");
  EXPECT_EQ(NCM[kMaxItems - 1].weight, 0);
}

struct PyCase {
  const char* syllable;
  int lenient;
  int strict;
};

class IsPyTest : public ::testing::TestWithParam<PyCase> {};

TEST_P(IsPyTest, JudgesSyllable) {
  const PyCase& c = GetParam();
  EXPECT_EQ(IsPy(c.syllable, 0), c.lenient);
  EXPECT_EQ(IsPy(c.syllable, 1), c.strict);
}

INSTANTIATE_TEST_SUITE_P(
    Syllables, IsPyTest,
    ::testing::Values(PyCase{"a", 1, 1}, PyCase{"e", 1, 1}, PyCase{"o", 1, 1},
                      PyCase{"ei", 1, 0}, PyCase{"lo", 1, 1}, PyCase{"zhuang", 1, 1},
                      PyCase{"dia", 1, 0}, PyCase{"dei", 1, 0}, PyCase{"eng", 1, 0},
                      PyCase{"er", 1, 1}, PyCase{"ong", 1, 0}, PyCase{"ou", 1, 1},
                      PyCase{"lve", 1, 1}, PyCase{"yv", 1, 1}, PyCase{"ng", 0, 0},
                      PyCase{"i", 0, 0}, PyCase{"u", 0, 0}, PyCase{"v", 0, 0},
                      PyCase{"b", 0, 0}, PyCase{"zhuangzhuang", 0, 0}, PyCase{"", 0, 0},
                      PyCase{"Ni", 0, 0}, PyCase{"n,i", 0, 0}, PyCase{"ni,", 0, 0},
                      PyCase{"shei", 1, 1}, PyCase{"chei", 0, 0},
                      PyCase{"a,i", 0, 0}, PyCase{"a,", 0, 0}));

TEST(IsPyLimits, NoRemainderOfTwelveLettersPasses) {
  // Longer than any syllable: refused before any list is searched.
  EXPECT_EQ(IsPy("aaaaaaaaaaaa", 0), 0);
  EXPECT_EQ(IsPy(nullptr, 0), 0);
}

class ConvertStreamTest : public DanTableFixture {
 protected:
  void SetUp() override {
    LoadRows({{"ni", testing::kNi}, {"hao", testing::kHao}, {"ge", testing::kGe}});
    output_.assign(1024, '\x7F');
    output_[0] = '\0';
  }

  int Convert(std::string input, signed char mode = 0) {
    input.push_back('\0');
    return ConvertStream(input.data(), output_.data(), mode);
  }
  std::string Output() const { return std::string(output_.c_str()); }

  std::string output_;
};

TEST_F(ConvertStreamTest, TwoSyllablesBecomeASentence) {
  MaxWordNum = 2;
  EXPECT_EQ(Convert("ni_hao"), kConvertOk);
  EXPECT_EQ(Output(), std::string(testing::kNi) + testing::kHao);
  EXPECT_EQ(MaxWordNum, 7);
  EXPECT_EQ(CurrentItem, 2);
}

TEST_F(ConvertStreamTest, BlanksAreRemovedBeforeSplitting) {
  // A blank would otherwise become a fixed item of its own.
  EXPECT_EQ(Convert("ni_ hao "), kConvertOk);
  EXPECT_EQ(CurrentItem, 2);
  EXPECT_EQ(Output(), std::string(testing::kNi) + testing::kHao);
}

TEST_F(ConvertStreamTest, OneSyllableGoesToSingleChoice) {
  EXPECT_EQ(Convert("ni"), 1);
  EXPECT_EQ(Output(), testing::kNi);
  EXPECT_EQ(CurrentItem, 1);
  // The single choice leaves the item itself unresolved.
  EXPECT_EQ(NCM[0].flags, kItemPinyin);
}

TEST_F(ConvertStreamTest, OneItemWithoutChoice) {
  // 17 bytes: too long for the single choice.
  EXPECT_EQ(Convert("abcdefghijklmnopq", 0), 0);
  EXPECT_EQ(Convert("abcdefghijklmnopq", 1), -1);
}

TEST_F(ConvertStreamTest, DigitsAndSyllablesKeepTheirBytes) {
  EXPECT_EQ(Convert("3ni"), kConvertOk);
  EXPECT_EQ(Output(), std::string("3") + testing::kNi);
}

TEST_F(ConvertStreamTest, NothingToConvert) {
  EXPECT_EQ(Convert(""), kConvertNothing);
  EXPECT_EQ(Output(), "");
  EXPECT_EQ(CurrentItem, 0);
  EXPECT_EQ(Convert("1,2"), kConvertNothing);
  EXPECT_EQ(Output(), "1,2");
}

TEST_F(ConvertStreamTest, ItemTableFullStillConverts) {
  EXPECT_EQ(Convert(std::string(kMaxItems, '7')), kConvertNothing);
  EXPECT_EQ(Output(), std::string(kMaxItems, '7'));
}

TEST_F(ConvertStreamTest, TooManyItemsIsRefused) {
  std::string input;
  for (int i = 0; i < kMaxItems; ++i) input += "ni_";
  input += "hao";
  EXPECT_EQ(Convert(input), kConvertTooManyItems);
  EXPECT_EQ(Output(), "");
  EXPECT_EQ(CurrentItem, 0);
}

TEST_F(ConvertStreamTest, UnresolvedSyllableReportsItsNumber) {
  // "xq" is no syllable, so no pass gives it a character.
  EXPECT_EQ(Convert("ni_hao_xq"), 2);
  EXPECT_EQ(Output(), std::string(testing::kNi) + testing::kHao + testing::kFiller);
}

TEST_F(ConvertStreamTest, OtherModesLeaveOutputToTheCaller) {
  EXPECT_EQ(Convert("ni_hao", 1), kConvertOk);
  EXPECT_EQ(Output(), "");
}

TEST_F(ConvertStreamTest, ReportAsHandledSwitchAnswersNothing) {
  InputProperty.ReportAsHandled = 1;
  const int sentence = Convert("ni_hao");
  const std::string sentence_output = Output();
  output_[0] = '\0';
  const int single = Convert("ni");
  InputProperty.ReportAsHandled = 0;
  EXPECT_EQ(sentence, kConvertNothing);
  EXPECT_EQ(sentence_output, std::string(testing::kNi) + testing::kHao);
  EXPECT_EQ(single, kConvertNothing);
  EXPECT_EQ(Output(), testing::kNi);
}

}  // namespace
}  // namespace sentence
