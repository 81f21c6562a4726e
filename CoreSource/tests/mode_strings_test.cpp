// Candidates built from strings: abbreviations, V-mode lists and i-/u-mode numerals.
#include "text/mode_strings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/config.h"
#include "engine_test_support.h"
#include "platform/plist.h"
#include "platform/text.h"
#include "record/qrdb.h"
#include "tables/vmode.h"
#include "vmode_fixture.h"

using namespace engine_test;

namespace {

struct Candidate {
  int type;
  std::string hz;
  std::string thz;
  bool operator==(const Candidate&) const = default;
};

void PrintTo(const Candidate& c, std::ostream* out) {
  *out << "{" << c.type << ", " << c.hz << ", " << c.thz << "}";
}

// A conversation with the tables loaded from a scratch home and a fake bundle, and the setting
// EnableUserString on unless a test turns it off.
class ModeStringsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_settings_ = kIMEConfigureDictionary;
    settings_.set("EnableUserString", platform::plist::Value(true));
    kIMEConfigureDictionary = &settings_;
    ime_vmode_reset_for_testing();
    ASSERT_EQ(ime_new_conversation(&conversation_), 0);
  }
  void TearDown() override {
    ime_free_conversation(&conversation_);
    ime_vmode_reset_for_testing();
    kIMEConfigureDictionary = saved_settings_;
  }

  void load_tables(const std::string& vmode, const std::string& abbreviations) {
    write_file(home_.data_folder() / "abbr.txt", abbreviations);
    bundle_ = std::make_unique<FakeVModeBundle>(vmode);
    platform::Bundle bundle = bundle_->bundle();
    ASSERT_EQ(QAVModeInit(&bundle), 0);
  }

  void type(const std::string& keys) {
    for (char key : keys) ASSERT_EQ(ime_convs_insert_key(conversation_, key), 0);
  }

  std::vector<Candidate> list1() {
    std::vector<Candidate> found;
    for (int i = 0; i < ime_qrdb_count(conversation_, IME_LIST_PHRASES); ++i) {
      ime_query_result_t r;
      EXPECT_EQ(ime_qrdb_get(conversation_, IME_LIST_PHRASES, i, &r), 0);
      found.push_back({r.type, reinterpret_cast<const char*>(r.hz),
                       reinterpret_cast<const char*>(r.thz)});
      EXPECT_EQ(r.hlen, found.back().hz.size());
      EXPECT_EQ(r.thlen, found.back().thz.size());
    }
    return found;
  }

  ScratchHome home_;
  platform::plist::Dictionary settings_;
  const platform::plist::Dictionary* saved_settings_ = nullptr;
  std::unique_ptr<FakeVModeBundle> bundle_;
  ime_conversation_t* conversation_ = nullptr;
};

struct NumeralCase {
  std::string keys;
  bool traditional_mode;
  std::string text;
  std::string traditional;
};

class IModeTest : public ModeStringsTest, public ::testing::WithParamInterface<NumeralCase> {};

TEST_P(IModeTest, KeysBecomeNumeralsAndUnits) {
  const NumeralCase& c = GetParam();
  load_tables("", "");
  if (c.traditional_mode) conversation_->mode |= IME_MODE_TRADITIONAL;
  type(c.keys);
  EXPECT_EQ(ime_build_imode_str(conversation_, c.keys[0]), 0);
  std::vector<Candidate> found = list1();
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0], (Candidate{IME_RESULT_VMODE, c.text, c.traditional}));
  ime_query_result_t r;
  ASSERT_EQ(ime_qrdb_get(conversation_, IME_LIST_PHRASES, 0, &r), 0);
  EXPECT_EQ(r.plen, 1);
  EXPECT_EQ(r.dbid, IME_DBID_VMODE);
}

INSTANTIATE_TEST_SUITE_P(
    Numerals, IModeTest,
    ::testing::Values(NumeralCase{"i2008n", false, "二〇〇八年", "二〇〇八年"},
                      NumeralCase{"u2008", false, "贰零零捌", "貳零零捌"},
                      NumeralCase{"u3w6b", false, "叁万陆佰", "叄萬陸佰"},
                      NumeralCase{"i5g7q9s", false, "五个七千九十", "五個七千九十"},
                      NumeralCase{"i1d5", false, "一点五", "一点五"},
                      NumeralCase{"i1d5", true, "一點五", "一點五"},
                      NumeralCase{"u4v3j2f", false, "肆元叁角贰分", "肆元叄角貳分"},
                      NumeralCase{"i12y1r", false, "一二月一日", "一二月一日"},
                      NumeralCase{"i1z", false, "一兆", "一兆"},
                      NumeralCase{"ix1-", false, "一", "一"}));  // keys without a numeral

TEST_F(ModeStringsTest, OnlyTheKeysBeforeTheCursorCount) {
  load_tables("", "");
  type("i2008n");
  ime_convs_set_cursor(conversation_, 3);
  ime_build_imode_str(conversation_, 'i');
  EXPECT_EQ(list1(), (std::vector<Candidate>{{IME_RESULT_VMODE, "二〇", "二〇"}}));
}

TEST_F(ModeStringsTest, ALongNumeralIsCutAtACharacterBoundary) {
  load_tables("", "");
  type("u" + std::string(IME_MAX_KEYS - 1, '2'));
  ime_build_imode_str(conversation_, 'u');
  std::vector<Candidate> found = list1();
  ASSERT_EQ(found.size(), 1u);
  // 180-byte fields: 59 three-byte numerals and the NUL.
  EXPECT_EQ(found[0].hz.size(), 59u * 3);
  EXPECT_EQ(found[0].thz.size(), 59u * 3);
  EXPECT_TRUE(platform::text::is_valid_utf8(found[0].thz));
}

TEST_F(ModeStringsTest, AnAbbreviationComesBeforeTheNumeralOfTheSameKeys) {
  load_tables("", "i2 甲,乙\n");
  type("i2");
  ime_build_imode_str(conversation_, 'i');
  EXPECT_EQ(list1(), (std::vector<Candidate>{{IME_RESULT_OTHER, "甲", "甲"},
                                             {IME_RESULT_OTHER, "乙", "乙"},
                                             {IME_RESULT_VMODE, "二", "二"}}));
  EXPECT_EQ(conversation_->ncand, 2);
}

TEST_F(ModeStringsTest, AbbreviationFillsTheFirstPageAndSkipsLongItems) {
  std::string items;
  for (int i = 1; i <= 11; ++i) items += "词" + std::to_string(i) + ",";
  items += std::string(60, 'x') + "," + std::string(59, 'y');
  load_tables("", "zz " + items + "\n");
  type("zz");
  conversation_->mode |= IME_MODE_D;
  conversation_->page = 3;
  ASSERT_EQ(ime_build_abbr_str(conversation_, "zz"), 0);

  std::vector<Candidate> found = list1();
  ASSERT_EQ(found.size(), 12u);  // eleven words and the 59-byte item; the 60-byte one is left out
  EXPECT_EQ(found.back().hz, std::string(59, 'y'));
  EXPECT_EQ(conversation_->ncand, IME_MAX_PAGE_CANDIDATES);
  EXPECT_STREQ(reinterpret_cast<const char*>(conversation_->cands[8].hz), "词9");
  EXPECT_EQ(conversation_->cands[0].matval, IME_MATVAL_ABBREVIATION);
  EXPECT_EQ(conversation_->cands[0].dbid, IME_DBID_ABBREVIATION);
  EXPECT_EQ(conversation_->pynum, 0);
  EXPECT_EQ(conversation_->pyoff, 1);
  EXPECT_EQ(conversation_->page, 0);
  EXPECT_EQ(conversation_->mode & IME_MODE_D, 0u);
}

TEST_F(ModeStringsTest, AbbreviationsNeedTheSettingAndAKnownKey) {
  load_tables("", "zz 甲\n");
  EXPECT_EQ(ime_build_abbr_str(conversation_, "zq"), -1);
  settings_.set("EnableUserString", platform::plist::Value(false));
  EXPECT_EQ(ime_build_abbr_str(conversation_, "zz"), -1);
  EXPECT_TRUE(list1().empty());
}

TEST_F(ModeStringsTest, VModeOffersTheItemsOfTheKeyAfterTheV) {
  load_tables("sx 数学 ＋,－,×\n", "");
  type("v");
  EXPECT_EQ(ime_build_vmode_str(conversation_), -1);  // only the "v": nothing to look up
  EXPECT_TRUE(list1().empty());

  type("sx");
  EXPECT_EQ(ime_build_vmode_str(conversation_), 3);
  EXPECT_EQ(list1(), (std::vector<Candidate>{{IME_RESULT_VMODE, "＋", "＋"},
                                             {IME_RESULT_VMODE, "－", "－"},
                                             {IME_RESULT_VMODE, "×", "×"}}));
}

TEST_F(ModeStringsTest, AMissingVModeKeyGivesTheAbbreviationCount) {
  load_tables("sx 数学 ＋\n", "vq 甲,乙\n");
  type("vzz");
  EXPECT_EQ(ime_build_vmode_str(conversation_), -1);  // neither table knows it
  ime_free_conversation(&conversation_);
  ASSERT_EQ(ime_new_conversation(&conversation_), 0);
  type("vq");
  // The abbreviation of the keys shows its two strings; the count says so.
  EXPECT_EQ(ime_build_vmode_str(conversation_), 2);
  EXPECT_EQ(conversation_->ncand, 2);
}

TEST_F(ModeStringsTest, VModeItemsAreLimitedInNumberAndCutToTheField) {
  std::string items;
  for (int i = 0; i < IME_VMODE_ITEM_LIMIT + 20; ++i) items += "符" + std::to_string(i) + ",";
  std::string long_item;
  for (int i = 0; i < 70; ++i) long_item += "长";
  load_tables("ab 很多 " + items + "\nlg 很长 " + long_item + "\n", "");
  type("vab");
  EXPECT_EQ(ime_build_vmode_str(conversation_), IME_VMODE_ITEM_LIMIT);
  EXPECT_EQ(list1().size(), static_cast<std::size_t>(IME_VMODE_ITEM_LIMIT));

  ime_free_conversation(&conversation_);
  ASSERT_EQ(ime_new_conversation(&conversation_), 0);
  type("vlg");
  EXPECT_EQ(ime_build_vmode_str(conversation_), 1);
  std::vector<Candidate> found = list1();
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].hz, long_item.substr(0, 59 * 3));
}

}  // namespace
