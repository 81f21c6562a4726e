// Typing full pinyin through the matcher: words and sentences committed, the keys edited, chosen
// segments taken back, tones given, and the string modes (i, u, V, abbreviations).
#include <gtest/gtest.h>

#include "CoreSource/split/py_suggestions.h"
#include "matcher_fixture.h"
#include "writers/split_suggestions.h"

namespace matcher_test {
namespace {

TEST_F(MatcherTest, CommitsWhatTheKeysSpell) {
  struct Case {
    const char* keys;
    const char* committed;
  } cases[] = {
      {"zhongguo<space>", "中国"},
      {"zhong<space>", "中"},
      {"nihao1", "你好"},
      // No phrase covers it all: the longest phrase at each position, else the character.
      {"womenshizhongguoren<space>", "我们是中国人"},
      {"zhongguo<ret>", "zhongguo"},
      {"zhong'guo<ret>", "zhong'guo"},
      {"i2008n<space>", "二〇〇八年"},
      {"u2008<space>", "贰零零捌"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.keys);
    EXPECT_EQ(commit(k.keys), k.committed);
  }
}

TEST_F(MatcherTest, ChoosingPartsOneByOneCommitsWhenNothingIsLeft) {
  ASSERT_EQ(type("womenshi"), IME_MATCH_SHOW);
  EXPECT_EQ(first(), "我们是");
  // "我们" is the second candidate: choosing it leaves "shi".
  ASSERT_EQ(page()[1], "我们");
  EXPECT_EQ(type("2"), IME_MATCH_SHOW);
  EXPECT_EQ(c_->pyoff, 2);
  EXPECT_EQ(output(), "我们shi");
  EXPECT_EQ(first(), "是");
  EXPECT_EQ(type("<space>"), IME_MATCH_COMMITTED);
  EXPECT_EQ(output(), "我们是");
}

TEST_F(MatcherTest, BackspaceAfterAChoiceTakesTheChoiceBack) {
  type("zhongguo");
  ASSERT_EQ(page()[1], "中");
  type("2");
  ASSERT_EQ(c_->nseg, 1);
  EXPECT_EQ(output(), "中guo");
  EXPECT_EQ(first(), "国");

  EXPECT_EQ(type("<bs>"), IME_MATCH_SHOW);
  EXPECT_EQ(c_->nseg, 0);
  EXPECT_EQ(c_->pyoff, 0);
  EXPECT_EQ(c_->inoff, 8);  // no key was deleted
  EXPECT_EQ(output(), "zhong'guo");
  EXPECT_EQ(first(), "中国");

  // Without a choice to take back, Backspace deletes the key before the cursor.
  type("<bs>");
  EXPECT_EQ(std::string(c_->inbuf, c_->inoff), "zhonggu");
  EXPECT_EQ(output(), "zhong'gu");
}

TEST_F(MatcherTest, EditingKeysResplitAndTheCursorAtTheStartMakesTheKeysRaw) {
  type("zhongguo<left>");
  EXPECT_EQ(c_->curpos, 5);
  EXPECT_EQ(c_->pynum, 0);  // only the keys before the cursor are split
  EXPECT_EQ(first(), "中");
  type("<left>");
  EXPECT_EQ(c_->curpos, 0);
  EXPECT_NE(c_->mode & IME_MODE_D, 0u);
  // Space then splits the whole input instead of selecting.
  EXPECT_EQ(type("<space>"), IME_MATCH_SHOW);
  EXPECT_EQ(c_->curpos, 8);
  EXPECT_EQ(first(), "中国");

  ime_convs_reset(c_);
  type("zhong''guo");
  EXPECT_EQ(std::string(c_->inbuf, c_->inoff), "zhong'guo");  // a second "'" is not typed
  EXPECT_EQ(commit("<space>"), "中国");

  // A key that cannot be pinyin makes the keys a raw string; deleting it splits them again.
  type("zhong");
  type(".");
  EXPECT_NE(c_->mode & IME_MODE_D, 0u);
  EXPECT_EQ(output(), "zhong.");
  type("<bs>");
  EXPECT_EQ(c_->mode & IME_MODE_D, 0u);
  EXPECT_EQ(first(), "中");
}

TEST_F(MatcherTest, ToneKeysCycleTheToneOfARemainingSyllable) {
  type("zhong");
  const std::vector<std::string> any_tone = page();
  ASSERT_EQ(any_tone.size(), 6u);

  type("<tone0>");  // tone 1: only characters read with it
  EXPECT_EQ(c_->tones[0], 1);
  EXPECT_EQ(page(), (std::vector<std::string>{"中", "钟", "忠", "终", "衷"}));
  type("<tone0><tone0><tone0>");
  EXPECT_EQ(c_->tones[0], 4);
  EXPECT_EQ(page(), (std::vector<std::string>{"中", "种", "众", "仲"}));
  type("<tone0>");
  EXPECT_EQ(c_->tones[0], 0);
  EXPECT_EQ(page(), any_tone);

  type("<tone1>");  // there is no second syllable
  EXPECT_EQ(c_->tones[1], 0);
  EXPECT_EQ(page(), any_tone);

  // A tone on the second syllable narrows the words too.
  ime_convs_reset(c_);
  type("zhongguo<tone1><tone1><tone1>");
  EXPECT_EQ(c_->tones[1], 3);
  // 中国 is read guó, not guǒ: the sentence is composed from the characters instead.
  EXPECT_EQ(first(), "中果");
}

TEST_F(MatcherTest, VModeShowsTheListOfItsKey) {
  ime_convs_reset(c_);
  set("VMode", true);
  type("v");
  EXPECT_NE(c_->mode & IME_MODE_V, 0u);
  EXPECT_EQ(c_->ncand, 0);
  type("bd");
  EXPECT_EQ(page(), (std::vector<std::string>{"，", "。", "、"}));
  EXPECT_EQ(commit("2"), "。");

  // Without the setting, "v" is a letter like any other and cannot start pinyin.
  set("VMode", false);
  type("vbd");
  EXPECT_EQ(c_->mode & IME_MODE_V, 0u);
  EXPECT_NE(c_->mode & IME_MODE_D, 0u);
}

TEST_F(MatcherTest, AnAbbreviationComesFirstAndCommitsAtOnce) {
  type("zg");
  EXPECT_EQ(c_->ncand, 0);  // user strings are off by default
  ime_convs_reset(c_);

  set("EnableUserString", true);
  type("zg");
  ASSERT_GE(page().size(), 2u);
  EXPECT_EQ(page()[0], "中国");
  EXPECT_EQ(page()[1], "中华人民共和国");
  EXPECT_EQ(commit("2"), "中华人民共和国");

  // A raw string (the server starts one at a capital letter) is looked up as it stands.
  c_->mode |= IME_MODE_D;
  type("BJ");
  EXPECT_EQ(page(), (std::vector<std::string>{"北京"}));
  EXPECT_EQ(commit("<space>"), "北京");

  // Switched off, the table is not consulted.
  set("EnableUserString", false);
  c_->mode |= IME_MODE_D;
  type("BJ");
  EXPECT_EQ(c_->ncand, 0);
  EXPECT_EQ(commit("<space>"), "BJ");
}

TEST_F(MatcherTest, NumeralModeKeepsDigitsAsNumerals) {
  type("i3d14");
  EXPECT_EQ(page(), (std::vector<std::string>{"三点一四"}));
  EXPECT_EQ(output(), "i3d14");
  type("<bs><bs><bs><bs>");
  EXPECT_EQ(c_->inoff, 1);  // the mode letter stays while more is typed
  EXPECT_EQ(c_->ncand, 0);
  type("<bs>");
  EXPECT_EQ(c_->inoff, 0);
}

TEST_F(MatcherTest, AccessoryLettersNarrowThePage) {
  std::size_t lines = 0;
  root_.put_resource("fzm.db", mkdata::write_accessory_codes({{"中", {"l"}},
                                                              {"种", {"hdhjg"}},
                                                              {"重", {"hjwg"}},
                                                              {"钟", {"cjr"}},
                                                              {"众", {"omoo"}},
                                                              {"忠", {"lp"}},
                                                              {"终", {"vfhey"}},
                                                              {"肿", {"bhjwg"}},
                                                              {"仲", {"ol"}},
                                                              {"衷", {"yle"}}},
                                                             &lines));
  type("zhong<tab>");
  EXPECT_EQ(c_->mode & IME_MODE_ACCESSORY, 0u);  // switched off: Tab is a tone key
  EXPECT_EQ(c_->tones[0], 1);
  ime_convs_reset(c_);

  set("EnableAccessory", true);
  ime_config_reload();
  type("zhong<tab>");
  EXPECT_NE(c_->mode & IME_MODE_ACCESSORY, 0u);
  EXPECT_EQ(page().size(), 6u);
  type("h");
  EXPECT_EQ(page(), (std::vector<std::string>{"种", "重"}));
  type("j");
  EXPECT_EQ(page(), (std::vector<std::string>{"重"}));
  type("<bs>");
  EXPECT_EQ(page(), (std::vector<std::string>{"种", "重"}));
  // A digit chooses from the narrowed page and leaves accessory mode.
  EXPECT_EQ(commit("2"), "重");
  EXPECT_EQ(c_->acclen, 0);
}

// The common vocabulary with more characters, and the suggested splits the generator makes of
// all its characters, as the shipped table is made from the word source.
class MoreCharactersTest : public MatcherTest {
 protected:
  void before_start() override {
    std::vector<mkdata::PinyinRecord> hanzi = vocabulary_hanzi();
    const std::pair<const char*, const char*> more[] = {
        {"an", "安"}, {"nian", "年"}, {"dong", "东"}, {"e", "鄂"}, {"la", "拉"},
        {"bo", "波"}, {"yu", "语"},   {"shu", "数"},  {"zi", "字"},
    };
    for (const auto& [syllable, text] : more) {
      hanzi.push_back(record(syllable, text, text, 1000, 15));
      hanzi.back().hanzi_index = static_cast<std::uint32_t>(hanzi.size() - 1);
    }
    std::string error;
    auto table = mkdata::write_pinyin_table(hanzi, &error);
    ASSERT_TRUE(table) << error;
    root_.put_resource("pinyin.db", *table);

    std::vector<datasources::RimeEntry> characters;
    for (const mkdata::PinyinRecord& r : hanzi) characters.push_back({r.simplified, {r.syllable}, r.base_frequency});
    root_.put_resource(IME_SUGGESTION_FILE,
                       ime_format_suggestion_table(mkdata::build_split_suggestions(characters, nullptr)));
  }
};

TEST_F(MoreCharactersTest, TheSuggestionKeyReadsTwoCharactersWhereTheSplitterSawOne) {
  type("nian");
  EXPECT_EQ(output(), "nian");
  EXPECT_EQ(first(), "年");
  EXPECT_EQ(ime_convs_match(c_, IME_KEY_SUGGEST), IME_MATCH_SHOW);
  EXPECT_EQ(output(), "ni'an");
  ASSERT_EQ(c_->pynum, 1);
  EXPECT_STREQ(c_->py[0], "ni");
  EXPECT_STREQ(c_->py[1], "an");
  EXPECT_EQ(first(), "你安");
}

TEST_F(MoreCharactersTest, AFinalGStaysWhereTheLettersBeforeItAreNoSyllable) {
  type("dongelaboyushuzi");
  EXPECT_EQ(output(), "dong'e'la'bo'yu'shu'zi");
  EXPECT_EQ(commit("<space>"), "东鄂拉波语数字");
}

}  // namespace
}  // namespace matcher_test
