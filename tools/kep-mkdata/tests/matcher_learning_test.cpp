// Learning from what is committed: user phrases (only after a pause before the selecting key,
// only phrases the dictionaries do not already offer) and the frequencies of chosen candidates.
#include <gtest/gtest.h>

#include <algorithm>

#include "CoreSource/query/candidate_freq.h"
#include "CoreSource/tables/hzfreq.h"
#include "CoreSource/user/imeuser2.h"
#include "matcher_fixture.h"

namespace matcher_test {
namespace {

constexpr long long kPause = 300000;  // microseconds: more than ime_duration_delay
constexpr long long kBurst = 100000;

std::vector<std::string> user_phrases() {
  std::vector<std::string> texts;
  for (const UDBItem* item : ime_udb_items()) texts.emplace_back(item->text);
  return texts;
}

class LearningTest : public MatcherTest {
 protected:
  // Types the keys, then the selecting key `last` after `pause` microseconds.
  std::string commit_after(const std::string& keys, const std::string& last, long long pause) {
    type(keys);
    ime_duration = pause;
    const std::string text = commit(last);
    ime_duration = 0;
    return text;
  }
  std::string udb_file() const { return table_test::read_file(root_.data_folder() / "udb.lib"); }
};

TEST_F(LearningTest, APhraseBuiltFromPiecesIsLearnedOnlyAfterAPause) {
  type("tazou");
  ASSERT_EQ(page(), (std::vector<std::string>{"他走", "他", "她"}));  // the sentence, then hanzi
  ime_convs_reset(c_);

  // 她, then 走, the last key in a burst: nothing learned.
  EXPECT_EQ(commit_after("tazou3", "1", kBurst), "她走");
  EXPECT_TRUE(user_phrases().empty());
  EXPECT_EQ(udb_file().find("她走"), std::string::npos);

  // 她 now ranks first among the characters (its frequency was learned), so the sentence
  // offered is 她走 already; built from the pieces again, after a pause, the phrase is kept.
  type("tazou");
  ASSERT_EQ(page(), (std::vector<std::string>{"她走", "她", "他"}));
  ime_convs_reset(c_);
  EXPECT_EQ(commit_after("tazou2", "1", kPause), "她走");
  EXPECT_EQ(user_phrases(), std::vector<std::string>{"她走"});
  EXPECT_NE(udb_file().find("她走"), std::string::npos);  // written at once

  type("tazou");
  EXPECT_EQ(first(), "她走");
  EXPECT_EQ(c_->mode & IME_MODE_SENTENCE, 0u);  // a user word now, no composed sentence

  // The user can delete it again (Control+Option+1 in the server).
  EXPECT_EQ(type("<del1>"), IME_MATCH_SHOW);
  EXPECT_TRUE(user_phrases().empty());
  EXPECT_EQ(first(), "她走");  // now the composed sentence again
  EXPECT_NE(c_->mode & IME_MODE_SENTENCE, 0u);
  EXPECT_EQ(udb_file().find("她走"), std::string::npos);
}

TEST_F(LearningTest, WhatIsLearnedDependsOnWhatWasChosen) {
  struct Case {
    const char* keys;
    const char* committed;
    bool learned;
  } cases[] = {
      {"tazou<space>", "他走", true},      // the composed sentence as a whole
      {"zhongguo<space>", "中国", false},  // a dictionary word: the dictionary has it
      {"zhongguo2", "中国", false},        // 中 then 国: a dictionary offered the whole
      {"zhong<space>", "中", false},       // a single character
      {"i2<space>", "二", false},          // a string mode
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.keys);
    std::string keys = k.keys;
    std::string last = "1";
    if (keys.size() > 7 && keys.compare(keys.size() - 7, 7, "<space>") == 0) {
      last = "<space>";
      keys.resize(keys.size() - 7);
    } else {
      last = keys.substr(keys.size() - 1);
      keys.pop_back();
    }
    const std::size_t before = user_phrases().size();
    const std::string text = commit_after(keys, last, kPause);
    if (text != k.committed) {
      // 中 then 国 takes a second selection.
      ime_duration = kPause;
      EXPECT_EQ(text, "(no commit)");
      EXPECT_EQ(commit("1"), k.committed);
      ime_duration = 0;
    }
    EXPECT_EQ(user_phrases().size(), before + (k.learned ? 1 : 0));
  }
}

TEST_F(LearningTest, LongPhrasesAndTheBypassSettingStoreNothing) {
  // Nine syllables: committed, but too long to become a user phrase.
  EXPECT_EQ(commit_after("womenshizhongguorennihaota", "<space>", kPause), "我们是中国人你好他");
  EXPECT_TRUE(user_phrases().empty());

  set("BypassUserWords", true);
  ime_config_reload();
  EXPECT_EQ(commit_after("tazou", "<space>", kPause), "他走");
  EXPECT_TRUE(user_phrases().empty());
}

TEST_F(LearningTest, ChoosingALaterCandidateRanksItFirstNextTime) {
  EXPECT_EQ(commit("zhong3"), "重");
  type("zhong");
  EXPECT_EQ(first(), "重");
  ime_convs_reset(c_);
  // The first candidate chosen again keeps its place.
  EXPECT_EQ(commit("zhong1"), "重");
  type("zhong");
  EXPECT_EQ(page()[1], "中");
}

TEST_F(LearningTest, TheCountingRuleLiftsTheChosenCandidateByTheStrongest) {
  ime_freq_mode = 1;
  // 衷 (base 1000) chosen on the second page while 中 (243213) is the strongest character:
  // 1000 + 243213 x 0.6.
  EXPECT_EQ(commit("zhong<pgdn>4"), "衷");
  EXPECT_EQ(ime_hzfreq_read(9, false) & 0xFFFFFF, 1000u + 145927u);
  // Every other character of the page lost part of its count (here it had none to lose).
  EXPECT_EQ(ime_hzfreq_read(0, false) & 0xFFFFFF, 0u);
  type("zhong");
  EXPECT_EQ(page()[1], "衷");
  ime_freq_mode = 0;
}

}  // namespace
}  // namespace matcher_test
