// Double pinyin and code tables through their matchers, on the small vocabulary of the
// full-pinyin matcher tests: a tiny scheme file and tables built with the code-table compiler.
#include <gtest/gtest.h>

#include <filesystem>

#include "CoreSource/dict/cmphplug.h"
#include "CoreSource/match/imeconvs_plug.h"
#include "CoreSource/match/imeconvs_sp.h"
#include "CoreSource/query/candidate_freq.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/split/imesp.h"
#include "extra_codes.h"
#include "matcher_fixture.h"
#include "scheme_line.h"
#include "table_build.h"

namespace matcher_test {
namespace {

// Enough of a scheme for the vocabulary: zhong = vs, guo = go, ni = ni, hao = hk.
constexpr const char* kScheme =
    "[sm]\nzh=v\n[ym]\nong=s\nuo=o\nao=k\ni=i\n[zm]\nprefix=$\n";

class DoublePinyinTest : public MatcherTest {
 protected:
  void SetUp() override {
    MatcherTest::SetUp();
    const std::filesystem::path scheme = root_.data_folder() / "tiny.spc";
    table_test::write_file(scheme, kScheme);
    ASSERT_EQ(ime_load_sp_config(scheme.c_str()), 0);
    ime_mode = 1;
  }
  void TearDown() override {
    ime_mode = 0;
    ime_sp_clear_schema();
    MatcherTest::TearDown();
  }
  int type_sp(const std::string& keys) { return type(keys, ime_convs_match_sp); }

  std::string commit_sp(const std::string& keys) {
    if (type_sp(keys) != IME_MATCH_COMMITTED) return "(no commit)";
    std::string text = output();
    ime_convs_reset(c_);
    return text;
  }
};

TEST_F(DoublePinyinTest, KeyPairsComposeAndCommit) {
  ASSERT_EQ(type_sp("vsgo"), IME_MATCH_SHOW);
  ASSERT_EQ(c_->pynum, 1);
  EXPECT_STREQ(c_->py[0], "zhong");
  EXPECT_STREQ(c_->py[1], "guo");
  EXPECT_STREQ(c_->spy[0], "vs");
  EXPECT_STREQ(c_->spy[1], "go");
  EXPECT_EQ(first(), "中国");
  ime_convs_reset(c_);

  struct Case {
    const char* keys;
    const char* committed;
  } cases[] = {
      {"vsgo<space>", "中国"}, {"nihk1", "你好"}, {"vsgo<ret>", "vsgo"}, {"vs<space>", "中"},
      {"I2008n<space>", "二〇〇八年"},
      // A key outside the scheme makes the keys raw, whatever the syllables before it had.
      {"vsgoI<space>", "vsgoI"}, {"vsI<space>", "vsI"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.keys);
    EXPECT_EQ(commit_sp(k.keys), k.committed);
  }
}

TEST_F(DoublePinyinTest, ModeLettersAreCapitalsAndZeroIsNoKey) {
  type_sp("i");
  EXPECT_EQ(c_->mode & IME_MODE_I, 0u);  // "i" is a scheme key here
  ime_convs_reset(c_);
  type_sp("I");
  EXPECT_NE(c_->mode & IME_MODE_I, 0u);
  ime_convs_reset(c_);
  type_sp("vs");
  EXPECT_EQ(ime_convs_match_sp(c_, IME_KEY_ZERO), IME_MATCH_NOT_MINE);
}

TEST_F(DoublePinyinTest, ChoosingPartsAndTakingThemBack) {
  type_sp("vsgo");
  ASSERT_EQ(page()[1], "中");
  EXPECT_EQ(type_sp("2"), IME_MATCH_SHOW);
  EXPECT_EQ(c_->pyoff, 1);
  EXPECT_EQ(ime_convs_chosen_key_span_sp(c_), 2);
  EXPECT_EQ(first(), "国");

  // Backspace at the end takes the choice back; the next one deletes a key.
  type_sp("<bs>");
  EXPECT_EQ(c_->nseg, 0);
  EXPECT_EQ(c_->inoff, 4);
  EXPECT_EQ(first(), "中国");
  type_sp("<bs>");
  EXPECT_EQ(std::string(c_->inbuf, c_->inoff), "vsg");
  ASSERT_EQ(c_->pynum, 1);
  EXPECT_STREQ(c_->py[1], "g");  // a lone initial key
  EXPECT_EQ(first(), "中国");
}

TEST_F(DoublePinyinTest, ChoosingBeforeTheCursorSplitsTheRest) {
  type_sp("vsgo<left>");
  EXPECT_EQ(c_->curpos, 2);  // one syllable's keys back
  EXPECT_EQ(c_->pynum, 0);
  EXPECT_EQ(first(), "中");
  EXPECT_EQ(type_sp("<space>"), IME_MATCH_SHOW);  // the keys after the cursor remain
  EXPECT_EQ(c_->curpos, 4);
  EXPECT_EQ(first(), "国");
  EXPECT_EQ(type_sp("<space>"), IME_MATCH_COMMITTED);
  EXPECT_EQ(output(), "中国");
}

TEST_F(DoublePinyinTest, KeysNoSyllableCanStartWithAreRaw) {
  // A separator where a syllable should start, and a key outside the scheme's keys.
  for (const char* keys : {"'", "vs.", "vs;"}) {
    SCOPED_TRACE(keys);
    ime_convs_reset(c_);
    for (const char* k = keys; *k != '\0'; ++k) ime_convs_push_key_sp(c_, *k);
    EXPECT_NE(c_->mode & IME_MODE_D, 0u);
  }
  // Raw keys begun with a capital (the host sets D-mode) stay raw: the scheme's keys typed
  // after them are not split, as pinyin of either kind.
  ime_convs_reset(c_);
  c_->mode |= IME_MODE_D;
  EXPECT_EQ(type_sp("Avsgo"), IME_MATCH_SHOW);
  EXPECT_NE(c_->mode & IME_MODE_D, 0u);
  EXPECT_EQ(output(), "Avsgo");
  EXPECT_EQ(type_sp("<space>"), IME_MATCH_COMMITTED);
  EXPECT_EQ(output(), "Avsgo");
}

// Code tables --------------------------------------------------------------------------------

class CodeTableTest : public MatcherTest, public testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    MatcherTest::SetUp();
    ime_mode = 2;
    ime_plug_mode = 0;
  }
  void TearDown() override {
    ime_plug_close();
    ime_mode = 0;
    ime_plug_mode = 0;
    ime_plug_auto_fill = 0;
    ime_plug_query_type = 0;
    MatcherTest::TearDown();
  }
  void open(const std::string& source, bool auto_fill = false, int max_len = 1,
            const std::vector<codetable::ExtraCode>& extra_codes = {}) {
    const std::filesystem::path folder = root_.data_folder() / "PlugCodeTable";
    std::filesystem::create_directories(folder);
    table_test::write_file(folder / "src.txt", source);
    std::string error;
    const int rc = GetParam() == 10
                       ? codetable::BuildCMPHPlug(folder / "src.txt", "t", folder, nullptr, &error)
                       : codetable::BuildSQLPlug(folder / "src.txt", "t", folder, nullptr, &error);
    ASSERT_EQ(rc, 0) << error;
    if (!extra_codes.empty()) {
      ASSERT_TRUE(codetable::ReplaceExtraCodes(folder / "t.ex", extra_codes, &error)) << error;
    }
    ASSERT_EQ(ime_plug_open((folder / "t.pct").c_str(), '*', max_len), 0);
    ime_plug_auto_fill = auto_fill ? 1 : 0;
  }
  // Types as the server does: a code the table misses is typed again as pinyin, and after that
  // the selection keys go to the pinyin matcher.
  int type_code(const std::string& keys) {
    int result = IME_MATCH_SHOW;
    for (std::size_t at = 0; at < keys.size(); ++at) {
      int key = static_cast<unsigned char>(keys[at]);
      if (keys[at] == '<') {
        const std::size_t end = keys.find('>', at);
        key = named_key(keys.substr(at + 1, end - at - 1));
        at = end;
      }
      if (ime_plug_mode == 1 && ((key >= '0' && key <= '9') || key == IME_KEY_SPACE)) {
        result = ime_convs_match(c_, key);
        continue;
      }
      result = ime_convs_match_plug(c_, key);
      if (result == IME_MATCH_RETRY && ime_plug_mode == 1) result = ime_convs_match(c_, IME_KEY_RETRY);
    }
    return result;
  }
};

const std::string kSource = "a x y\nb z\na w\n";

TEST_P(CodeTableTest, CodesAnswerAndASelectionCommits) {
  open(kSource);
  ASSERT_EQ(type_code("a"), IME_MATCH_SHOW);
  std::vector<std::string> shown = page();
  std::sort(shown.begin(), shown.end());
  EXPECT_EQ(shown, (std::vector<std::string>{"w", "x", "y"}));
  EXPECT_EQ(output(), "a");
  const std::string second = page()[1];
  EXPECT_EQ(type_code("2"), IME_MATCH_COMMITTED);
  EXPECT_EQ(output(), second);
  ime_convs_reset(c_);

  EXPECT_EQ(type_code("*"), IME_MATCH_SHOW);  // the wildcard: every code of one key
  EXPECT_EQ(c_->ncand, 4);
  ime_convs_reset(c_);
  EXPECT_EQ(type_code("a<ret>"), IME_MATCH_COMMITTED);
  EXPECT_EQ(output(), "a");
  ime_convs_reset(c_);
  EXPECT_EQ(type_code("b<bs>"), IME_MATCH_SHOW);
  EXPECT_EQ(c_->inoff, 0);
  EXPECT_EQ(c_->ncand, 0);
}

TEST_P(CodeTableTest, AMissIsGivenBackAndTypedAsPinyin) {
  open(kSource + "t 特\n");
  EXPECT_EQ(ime_convs_match_plug(c_, 'q'), IME_MATCH_RETRY);
  EXPECT_EQ(ime_plug_mode, 1);
  EXPECT_EQ(std::string(c_->inbuf, c_->inoff), "q");  // the keys stay for the pinyin retry
  ime_convs_reset(c_);

  EXPECT_EQ(type_code("zhongguo"), IME_MATCH_SHOW);
  EXPECT_EQ(first(), "中国");
  EXPECT_EQ(type_code("<space>"), IME_MATCH_COMMITTED);
  EXPECT_EQ(output(), "中国");
  ime_convs_reset(c_);

  // Back to a code the table knows: only its answers, none of the pinyin candidates before.
  type_code("ta");
  ASSERT_EQ(ime_plug_mode, 1);
  ASSERT_EQ(first(), "他");
  type_code("<bs>");
  EXPECT_EQ(ime_plug_mode, 0);
  EXPECT_EQ(page(), (std::vector<std::string>{"特"}));
  EXPECT_EQ(ime_qrdb_count(c_, IME_LIST_CANDIDATES), 1);
}

TEST_P(CodeTableTest, AutoFillCommitsTheOnlyAnswerOfAFullCode) {
  open(kSource, true);
  EXPECT_EQ(type_code("b"), IME_MATCH_COMMITTED);
  EXPECT_EQ(output(), "z");
  ime_convs_reset(c_);
  EXPECT_EQ(type_code("a"), IME_MATCH_SHOW);  // three answers: the user chooses
}

INSTANTIATE_TEST_SUITE_P(Versions, CodeTableTest, testing::Values(20, 10),
                         [](const testing::TestParamInfo<int>& info) {
                           return "version" + std::to_string(info.param);
                         });

class CodeTableCounterTest : public CodeTableTest {};

TEST_P(CodeTableCounterTest, ChoosingRaisesTheCounterAndRanksItFirst) {
  open(kSource);
  type_code("a");
  ASSERT_EQ(c_->ncand, 3);
  const ime_query_result_t third = c_->cands[2];
  ASSERT_EQ(ime_plug_obj->freq != nullptr, true);
  const std::uint32_t before = QAFreqGetValue(ime_plug_obj->freq, static_cast<int>(third.index));
  EXPECT_EQ(type_code("3"), IME_MATCH_COMMITTED);
  EXPECT_GT(QAFreqGetValue(ime_plug_obj->freq, static_cast<int>(third.index)), before);
  ime_convs_reset(c_);
  type_code("a");
  EXPECT_EQ(first(), std::string(reinterpret_cast<const char*>(third.hz), third.hlen));
}

// Record numbers run from 1 to the row count; the first pair of the source holds the last one.
TEST_P(CodeTableCounterTest, TheTablesLastRecordGainsRankToo) {
  open("aa 甲\nab 乙\nac 丙\nad 丁\n");
  ASSERT_EQ(ime_plug_obj->tail, 4u);
  for (int round = 0; round < 4; ++round) {
    ASSERT_EQ(type_code("aa"), IME_MATCH_SHOW);
    ASSERT_EQ(c_->ncand, 1);
    ASSERT_EQ(c_->cands[0].index, 4u);
    EXPECT_EQ(type_code("<space>"), IME_MATCH_COMMITTED);
    EXPECT_EQ(output(), "甲");
    ime_convs_reset(c_);
  }
  EXPECT_NE(ime_counting_field(QAFreqGetValue(ime_plug_obj->freq, 4), ime_freq_mode), 0u);
}

// A choice lowers every answer on offer and sets the chosen one to ime_hzfreq_val + 1: the last
// of three answers that counted less than the others leads the next time. Table records count
// in the counter file, extra codes in their freq column; version 10 keeps no counts at all.
TEST_P(CodeTableCounterTest, AChoiceLowersTheOthersAndLeadsNextTime) {
  struct Case {
    const char* name;
    std::string source;
    std::vector<codetable::ExtraCode> extra_codes;
    std::vector<std::string> after;
  };
  const Case cases[] = {
      // Records ka, kb, kc are rows 3, 2, 1.
      {"records", "ka 甲\nkb 乙\nkc 丙\n", {}, {"丙", "甲", "乙"}},
      {"extra_codes", "m 丁\n", {{"ka", "甲", 5}, {"kb", "乙", 3}, {"kc", "丙", 1}}, {"丙", "甲", "乙"}},
  };
  ime_freq_mode = 0;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    ime_plug_close();
    open(k.source, false, 2, k.extra_codes);
    const int classes[] = {0, 1, 3, 5};  // by row: 甲 5, 乙 3, 丙 1
    for (int row = 1; row <= 3 && k.extra_codes.empty(); ++row) {
      QAFreqSetValue(ime_plug_obj->freq, row, static_cast<std::uint32_t>(classes[row]));
    }
    ASSERT_EQ(type_code("k"), IME_MATCH_SHOW);
    ASSERT_EQ(page(), (std::vector<std::string>{"甲", "乙", "丙"}));
    EXPECT_EQ(type_code("3"), IME_MATCH_COMMITTED);
    EXPECT_EQ(output(), "丙");
    ime_convs_reset(c_);
    type_code("k");
    EXPECT_EQ(page(), k.after);
    ime_convs_reset(c_);
    if (k.extra_codes.empty()) {
      // The counts themselves: the chosen one at 9 + 1, the others one class down.
      for (const auto& [row, klass] : {std::pair{1, 10u}, {2, 2u}, {3, 4u}}) {
        EXPECT_EQ(QAFreqGetValue(ime_plug_obj->freq, row) >> 24, klass) << "row " << row;
      }
    }
  }
  std::vector<codetable::ExtraCode> stored;
  std::string error;
  ASSERT_TRUE(codetable::ReadExtraCodes(root_.data_folder() / "PlugCodeTable" / "t.ex", &stored, &error)) << error;
  EXPECT_EQ(stored, (std::vector<codetable::ExtraCode>{{"ka", "甲", 4}, {"kb", "乙", 2}, {"kc", "丙", 10}}));
}

INSTANTIATE_TEST_SUITE_P(Version20, CodeTableCounterTest, testing::Values(20));

}  // namespace
}  // namespace matcher_test
