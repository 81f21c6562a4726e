#include "sentenceparser/core/segmentation_driver.h"

#include <gtest/gtest.h>

#include <string>

#include "sentenceparser/core/convert.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/syllable_list.h"
#include "sentenceparser/core/tests/convert_fixture.h"

namespace sentence {
namespace {

using testing::DanTableFixture;
using testing::item_character;

// GBK bytes of the head and end characters the tests expect.
constexpr char kDiHead[] = "\xB5\xDA";      // 第
constexpr char kYuEnd[] = "\xD3\xFD";       // 育
constexpr char kMaQuestion[] = "\xC2\xF0";  // 吗
constexpr char kMaExclaim[] = "\xC2\xEF";   // 嘛
constexpr char kMaHorse[] = "\xC2\xED";     // 马
constexpr char kEr[] = "\xB6\xFE";          // 二

class DriverTest : public DanTableFixture {
 protected:
  void SetUp() override {
    LoadRows({{"ni", testing::kNi},
              {"hao", testing::kHao},
              {"di", testing::kDiLow},
              {"yu", testing::kYuFish},
              {"ma", testing::kMaMother}});
  }
  int Items(const std::string& input) { return sendpy(input.c_str(), ""); }
};

struct KeyCase {
  std::string input;
  int first;
  int last;
  std::string key;  // empty: refused
};

class TakeChkpTest : public DriverTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(TakeChkpTest, BuildsWordKey) {
  const KeyCase& c = GetParam();
  Items(c.input);
  char key[16];
  std::memset(key, 'x', sizeof key);
  const int built = TakeChkp(c.first, c.last, key);
  EXPECT_EQ(built, c.key.empty() ? 0 : 1);
  EXPECT_EQ(std::string(key, strnlen(key, sizeof key)), c.key);
  for (std::size_t i = c.key.size(); i < sizeof key; ++i) EXPECT_EQ(key[i], '\0') << i;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TakeChkpTest,
    ::testing::Values(
        // Two syllables: both initials, both second letters, both final codes.
        KeyCase{"ni_hao", 0, 1, "nhiaVe"},
        KeyCase{"wo_ai_ni", 0, 2, "wan7VV"},
        KeyCase{"wo_ai_ni", 1, 2, "aniiVV"},
        // A one-vowel syllable keys as its marked form, its mark lower-cased in second place.
        KeyCase{"ni_e", 0, 1, "neiqV."},
        KeyCase{"a", 0, 0, "a<"},
        KeyCase{"zhuang", 0, 0, "zz"},
        KeyCase{"Bei", 0, 0, "bg"},
        KeyCase{std::string(testing::kNi) + "hao", 0, 1, "nhiaVe"},
        KeyCase{"lve_nv", 0, 1, "lnvv?/"},
        KeyCase{"ni_ni_ni_ni_ni_ni_ni", 0, 6, "nnnnnnnVVVVVVV"},
        KeyCase{"ni_ni_ni_ni_ni_ni_ni_ni", 0, 7, ""},
        KeyCase{"3ni", 0, 1, "inai(V"},  // a digit keys as "iA"
        KeyCase{"ni_xq", 0, 1, ""},
        KeyCase{"ni_hao", 1, 0, ""},
        KeyCase{"ni_hao", 1, 2, ""},
        KeyCase{"ni_hao", -1, 0, ""}));

TEST_F(DriverTest, HeadAndEndTablesAnswerEverySyllableRow) {
  // Every row must be reachable: count the syllables that get a character.
  int heads = 0;
  int ends = 0;
  char out[3];
  CurrentItem = 2;
  for (const char* numbered : kSyllableTexts) {
    std::string syllable = numbered;
    if (syllable.size() == 2 && syllable[1] >= 'A' && syllable[1] <= 'Z') syllable.pop_back();
    heads += gethead_chr(syllable.c_str(), out);
    ends += getend_chr(syllable.c_str(), out, "");
  }
  EXPECT_EQ(heads, 130);
  EXPECT_EQ(ends, 194);
}

struct TableCase {
  const char* syllable;
  const char* head;  // nullptr: no row
  const char* end;
};

class HeadEndRowTest : public ::testing::TestWithParam<TableCase> {};

TEST_P(HeadEndRowTest, GivesRowCharacter) {
  const TableCase& c = GetParam();
  CurrentItem = 2;
  char out[3] = {'#', '#', '#'};
  EXPECT_EQ(gethead_chr(c.syllable, out), c.head != nullptr ? 1 : 0);
  if (c.head != nullptr) {
    EXPECT_EQ(std::string(out), c.head);
  } else {
    EXPECT_EQ(out[0], '#');
  }
  out[0] = '#';
  EXPECT_EQ(getend_chr(c.syllable, out, ""), c.end != nullptr ? 1 : 0);
  if (c.end != nullptr) {
    EXPECT_EQ(std::string(out), c.end);
  } else {
    EXPECT_EQ(out[0], '#');
  }
  CurrentItem = 0;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HeadEndRowTest,
    ::testing::Values(TableCase{"ao", "\xB0\xC4", "\xB0\xC1"},      // 澳 傲
                      TableCase{"zuo", "\xD7\xF6", nullptr},        // 做
                      TableCase{"zu", "\xD7\xE3", "\xD7\xE3"},      // 足 足
                      TableCase{"a", nullptr, "\xB0\xA1"},          // 啊
                      TableCase{"e", "\xB6\xED", nullptr},          // 俄
                      TableCase{"zui", nullptr, "\xD7\xEF"},        // 罪
                      TableCase{"lv", nullptr, "\xC2\xC9"},         // 律
                      TableCase{"zhuang", "\xD7\xB0", "\xD7\xB4"},  // 装 状
                      TableCase{"di", kDiHead, nullptr},
                      TableCase{"yu", "\xD3\xFB", kYuEnd},          // 欲 育
                      TableCase{"er", kEr, kEr},
                      TableCase{"ni", nullptr, nullptr},
                      TableCase{"", nullptr, nullptr},
                      TableCase{"zuoo", nullptr, nullptr}));

TEST(HeadChar, ErOnlyForShortInput) {
  char out[3] = {};
  for (int items : {1, 2}) {
    CurrentItem = items;
    EXPECT_EQ(gethead_chr("er", out), 1);
    EXPECT_EQ(std::string(out), kEr);
  }
  CurrentItem = 3;
  EXPECT_EQ(gethead_chr("er", out), 0);
  CurrentItem = 0;
}

TEST(EndChar, MaDependsOnWhatFollows) {
  const struct {
    const char* following;
    const char* expected;
  } cases[] = {{"?", kMaQuestion}, {"\xA3\xBF", kMaQuestion}, {"!", kMaExclaim},
               {"\xA3\xA1", kMaExclaim}, {"", kMaHorse},     {",", kMaHorse},
               {nullptr, kMaHorse}};
  for (const auto& c : cases) {
    char out[3] = {};
    EXPECT_EQ(getend_chr("ma", out, c.following), 1);
    EXPECT_EQ(std::string(out), c.expected) << (c.following ? c.following : "(null)");
  }
}

TEST_F(DriverTest, HeadAndEndFixFirstAndLastSyllable) {
  std::string input = "di_yu";
  std::string output(1024, '\0');
  ASSERT_EQ(ConvertStream(input.data(), output.data(), 0), kConvertOk);
  EXPECT_EQ(std::string(output.c_str()), std::string(kDiHead) + kYuEnd);
  EXPECT_EQ(NCM[0].flags, kItemPinyin | 0x69);
  EXPECT_EQ(NCM[1].flags, kItemPinyin | 0x69);
}

struct MaCase {
  std::string input;
  int item;
  const char* expected;
};

class MaEndTest : public DriverTest, public ::testing::WithParamInterface<MaCase> {};

TEST_P(MaEndTest, LooksAtTheFollowingItem) {
  const MaCase& c = GetParam();
  Items(c.input);
  process_headend();
  EXPECT_EQ(item_character(NCM[c.item]), c.expected);
  EXPECT_EQ(NCM[c.item].flags, kItemPinyin | 0x69);
}

INSTANTIATE_TEST_SUITE_P(Endings, MaEndTest,
                         ::testing::Values(MaCase{"ni_ma?", 1, kMaQuestion},
                                           MaCase{"ni_ma\xA3\xBF", 1, kMaQuestion},
                                           MaCase{"ni_ma!", 1, kMaExclaim},
                                           MaCase{"ni_ma\xA3\xA1", 1, kMaExclaim},
                                           MaCase{"ni_ma", 1, kMaHorse},
                                           MaCase{"ni_ma3", 1, kMaHorse}));

TEST_F(DriverTest, ErAsFirstOfTwoOnly) {
  Items("er_ni");
  process_headend();
  EXPECT_EQ(item_character(NCM[0]), kEr);
  EXPECT_EQ(NCM[0].flags, kItemPinyin | 0x69);

  Items("er_ni_hao");
  process_headend();
  EXPECT_EQ(NCM[0].flags, kItemPinyin);
  EXPECT_EQ(item_character(NCM[0]), "");
}

TEST_F(DriverTest, HeadEndSkipsWhatItMustNotTouch) {
  // One item: no head or end.
  Items("di");
  process_headend();
  EXPECT_EQ(NCM[0].flags, kItemPinyin);

  // Upper-case syllables are left to the initial-letter search.
  Items("Di_Yu");
  process_headend();
  EXPECT_EQ(NCM[0].flags, kItemPinyin | kItemAbbreviated);
  EXPECT_EQ(NCM[1].flags, kItemPinyin | kItemAbbreviated);

  // An item fixed by an earlier pass keeps its character.
  Items("di_yu");
  NCM[0].character[0] = 0xB5;
  NCM[0].character[1] = 0xCD;
  NCM[0].flags |= kItemFixed;
  process_headend();
  EXPECT_EQ(item_character(NCM[0]), testing::kDiLow);
  EXPECT_EQ(item_character(NCM[1]), kYuEnd);

  // Two items ending in a sign: the syllable is item 0, which only the head table serves.
  Items("ma?");
  process_headend();
  EXPECT_EQ(NCM[0].flags, kItemPinyin);

  // When the last item is no syllable, the one before it is the end; the last is not tried.
  Items("ni_hao_3");
  process_headend();
  EXPECT_EQ(NCM[1].flags, kItemPinyin);
}

TEST_F(DriverTest, Scan1GivesEachOpenSyllableItsCharacter) {
  Items(std::string("ni_Hao_hao_xq_") + testing::kNi);
  NCM[2].character[0] = 0xB0;
  NCM[2].character[1] = 0xA3;
  NCM[2].flags |= kItemFixed;
  Scan1();
  EXPECT_EQ(item_character(NCM[0]), testing::kNi);
  EXPECT_EQ(NCM[0].flags, kItemPinyin | kItemFixed | kItemChinese);
  EXPECT_EQ(NCM[1].flags, kItemPinyin | kItemAbbreviated);  // upper case: not this pass
  EXPECT_EQ(item_character(NCM[2]), "\xB0\xA3");            // already fixed
  EXPECT_EQ(NCM[3].flags, kItemPinyin);                     // no syllable
  EXPECT_EQ(item_character(NCM[3]), "");
  EXPECT_EQ(NCM[4].flags, 0x7B);  // given in the input
}

TEST_F(DriverTest, DriverResultTellsWhatWasResolved) {
  char output[1024] = {};
  resetpy();
  EXPECT_EQ(fixpyhz(output, 0), kConvertNothing);

  Items("1,2");
  EXPECT_EQ(fixpyhz(output, 0), kConvertNothing);

  Items("ni_hao");
  EXPECT_EQ(fixpyhz(output, 0), kConvertOk);

  Items("ni_xq_hao_zq");
  EXPECT_EQ(fixpyhz(output, 0), 1);
  EXPECT_EQ(item_character(NCM[1]), testing::kFiller);
  EXPECT_EQ(NCM[1].flags, kItemPinyin | 0x19);
  EXPECT_EQ(item_character(NCM[3]), testing::kFiller);
  EXPECT_EQ(item_character(NCM[2]), testing::kHao);
}

}  // namespace
}  // namespace sentence

#include "sentenceparser/core/tests/segmentation_fixture.h"

namespace sentence::testing {
namespace {

class DriverPassesTest : public SegmentationTest {
 protected:
  void TearDown() override {
    InputProperty.MarkUnresolved = 1;
    SegmentationTest::TearDown();
  }
  int Drive() {
    char output[1024] = {};
    return fixpyhz(output, 0);
  }
};

TEST_F(DriverPassesTest, ContextWordsComeBeforeTheWordSearch) {
  Items("ni_hao,");
  script_.dot["zd:ni_hao"] = sentence_test::gbk("拟好");
  Word("ni_hao", "你好", 500);
  EXPECT_EQ(Drive(), kConvertOk);
  EXPECT_EQ(Chosen(), "拟好,");
}

struct SwitchCase {
  unsigned char mark_unresolved;
  int result;
  std::string sentence;
};

class SingleInitialPass : public DriverPassesTest,
                          public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(SingleInitialPass, RunsOnlyWithTheSwitchOn) {
  const SwitchCase& c = GetParam();
  InputProperty.MarkUnresolved = c.mark_unresolved;
  Items("ni_hao_W");
  Word("ni_hao", "你好", 60);
  script_.jp["W"] = {sentence_test::gbk("我"), 1, kNoInnerEnds};
  EXPECT_EQ(Drive(), c.result);
  EXPECT_EQ(Chosen(), c.sentence);
}

INSTANTIATE_TEST_SUITE_P(Switch, SingleInitialPass,
                         ::testing::Values(SwitchCase{1, kConvertOk, "你好我"},
                                           SwitchCase{0, 2, "你好啊"}));

}  // namespace
}  // namespace sentence::testing
