// The pinyin splitter: the greedy cut with its boundary rules, the spelling corrections, the
// suggested splits and the bounds of what a split may hold.
#include "split/py_splitter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine_test_support.h"
#include "record/engine_globals.h"

using namespace engine_test;

namespace {

// The splitter started on a scratch resource folder holding a small suggestion table, with the
// spelling corrections as each test sets them.
class SplitterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memcpy(saved_default_res_, ime_default_res, sizeof saved_default_res_);
    reset_engine_caches();
    ASSERT_EQ(ime_set_default_resources(), 0);
    write_file(fs::path(ime_default_res) / IME_SUGGESTION_FILE,
               "# test table\n"
               "xian\txi'an\n"
               "fangan\tfan'gan\n"
               "daxinganlingdiqu\tda'xing'an'ling'di'qu\n"
               "bogus\tbo'gu\n"  // does not spell its letters: skipped
               "nope\n");        // no split at all: skipped
    splitter_ = QAGetPYSplitter();
    splitter_->finalize(splitter_);
    ASSERT_EQ(splitter_->init(splitter_), 0);
    ime_auto_mode = 0;
    suggestted_mode = 0;
  }

  void TearDown() override {
    splitter_->finalize(splitter_);
    ime_auto_mode = 0;
    suggestted_mode = 0;
    has_suggestted = 0;
    std::memcpy(ime_default_res, saved_default_res_, sizeof saved_default_res_);
    reset_engine_caches();
  }

  struct Split {
    int result;
    std::string syllables;
    std::string typed;
  };

  static Split split_buffer(const std::string& letters) {
    // Exactly as large as the longest split of 256 letters needs, so an overrun is caught.
    std::vector<char> syllables(2 * IME_SPLIT_MAX_LETTERS);
    std::vector<char> typed(2 * IME_SPLIT_MAX_LETTERS);
    int result = QASplitBuffer(letters.c_str(), syllables.data(), syllables.size(), typed.data(), typed.size());
    return {result, syllables.data(), typed.data()};
  }

  TempDir root_;
  ScopedEnv root_env_{"KEP_ROOT", root_.path().string()};
  char saved_default_res_[sizeof ime_default_res];
  QASplitter* splitter_ = nullptr;
};

TEST_F(SplitterTest, SplitsAsTheBoundaryRulesSay) {
  struct Case {
    const char* letters;
    bool corrections;
    const char* syllables;  // nullptr: cannot be split
    const char* typed;
    const char* suggested;  // "" when the table has none
  } cases[] = {
      {"jineng", false, "ji'neng", "ji'neng", ""},
      {"xian", false, "xian", "xian", "xi'an"},
      {"xi'an", false, "xi'an", "xi'an", ""},
      {"fangan", false, "fang'an", "fang'an", "fan'gan"},
      {"henfangan", false, "hen'fan'gan", "hen'fan'gan", ""},
      {"zhengan", false, "zhen'gan", "zhen'gan", ""},
      {"xiuzhengan", false, "xiu'zheng'an", "xiu'zheng'an", ""},
      {"huangan", false, "huang'an", "huang'an", ""},
      {"xiangai", false, "xiang'ai", "xiang'ai", ""},
      {"daxinganlingdiqu", false, "da'xin'gan'ling'di'qu", "da'xin'gan'ling'di'qu", "da'xing'an'ling'di'qu"},
      {"nver", false, "nv'er", "nv'er", ""},
      {"shenger", false, "sheng'er", "sheng'er", ""},
      {"fanu", false, "fa'nu", "fa'nu", ""},
      {"zhongguo", false, "zhong'guo", "zhong'guo", ""},
      // A final "g" stays when "don", "zhon" would be left: they are no syllables.
      {"donge", false, "dong'e", "dong'e", ""},
      {"zhongan", false, "zhong'an", "zhong'an", ""},
      {"dongou", false, "dong'ou", "dong'ou", ""},
      {"dongelaboyushuzi", false, "dong'e'la'bo'yu'shu'zi", "dong'e'la'bo'yu'shu'zi", ""},
      {"xiou", false, "xi'ou", "xi'ou", ""},
      {"xiou", true, "xiu?", "xiou", ""},
      {"jinengxiouxian", true, "ji'neng'xiu?'xian", "ji'neng'xiou'xian", ""},
      {"xion", true, "xio^", "xion", ""},
      {"yuenan", true, "yue'nan", "yue'nan", ""},
      {"ma3", false, "ma", "ma", ""},  // the digit is the tone, not a letter
      {"'xian", false, nullptr, nullptr, ""},
      {"iu", false, nullptr, nullptr, ""},
      {"xian'", false, "xian", "xian", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.letters) + (c.corrections ? " with corrections" : ""));
    ime_auto_mode = c.corrections ? 1 : 0;
    QAContextObject* object = splitter_->proc(splitter_, c.letters);
    if (c.syllables == nullptr) {
      EXPECT_EQ(object, nullptr);
      EXPECT_EQ(split_buffer(c.letters).result, -2);
      continue;
    }
    ASSERT_NE(object, nullptr);
    std::string syllables;
    std::string typed;
    for (const QAContextToken& token : object->tokens) {
      syllables += (syllables.empty() ? "" : "'") + token.text;
      typed += (typed.empty() ? "" : "'") + token.raw;
      EXPECT_EQ(token.type, QA_TOKEN_PINYIN);
    }
    EXPECT_EQ(syllables, c.syllables);
    EXPECT_EQ(QAContextObjectMark(object), c.syllables);
    std::string suggested;
    for (const QAContextToken& token : object->suggested) suggested += (suggested.empty() ? "" : "'") + token.text;
    EXPECT_EQ(suggested, c.suggested);
    QAContextObjectRelease(object);

    Split buffer = split_buffer(c.letters);
    EXPECT_EQ(buffer.result, static_cast<int>(std::strlen(c.syllables)));
    EXPECT_EQ(buffer.syllables, c.syllables);
    EXPECT_EQ(buffer.typed, c.typed);
  }
}

TEST_F(SplitterTest, TokensRecordToneAndTheApostropheThatClosedThem) {
  QAContextObject* tone = splitter_->proc(splitter_, "ma3");
  ASSERT_NE(tone, nullptr);
  ASSERT_EQ(tone->tokens.size(), 1u);
  EXPECT_EQ(tone->tokens[0].tone, '3');
  QAContextObjectRelease(tone);

  QAContextObject* fixed = splitter_->proc(splitter_, "xi'an");
  ASSERT_NE(fixed, nullptr);
  ASSERT_EQ(fixed->tokens.size(), 2u);
  EXPECT_EQ(fixed->tokens[0].fixed, 1);
  EXPECT_EQ(fixed->tokens[1].fixed, 0);
  EXPECT_EQ(fixed->tokens[1].tone, QA_TOKEN_NO_TONE);
  EXPECT_NE(QAContextTokenDesc(&fixed->tokens[0]).find("Token \"xi,xi\" type=1 tone=- Fixed"), std::string::npos);
  QAContextObjectRelease(fixed);
  EXPECT_EQ(QAContextTokenDesc(nullptr), "Empty token.");
}

TEST_F(SplitterTest, TheSuggestionKeyTakesTheSuggestedSplit) {
  Split plain = split_buffer("xian");
  EXPECT_EQ(plain.syllables, "xian");
  EXPECT_EQ(has_suggestted, 1);

  suggestted_mode = 1;
  Split suggested = split_buffer("xian");
  EXPECT_EQ(suggested.result, 5);
  EXPECT_EQ(suggested.syllables, "xi'an");
  EXPECT_EQ(suggested.typed, "xi'an");

  suggestted_mode = 2;  // pressed again: back to the plain split
  EXPECT_EQ(split_buffer("xian").syllables, "xian");

  suggestted_mode = 1;  // letters without a suggestion keep their own split
  EXPECT_EQ(split_buffer("jineng").syllables, "ji'neng");
  EXPECT_EQ(has_suggestted, 0);
}

TEST_F(SplitterTest, NothingOverrunsTheSixtySyllablesOrTheOutput) {
  // 256 one-letter syllables are more than a conversation holds: refused, outputs emptied.
  Split many = split_buffer(std::string(256, 'b'));
  EXPECT_EQ(many.result, -2);
  EXPECT_EQ(many.syllables, "");
  EXPECT_EQ(many.typed, "");

  std::string sixty;
  for (int i = 0; i < 60; ++i) sixty += "ba";
  Split full = split_buffer(sixty);
  EXPECT_EQ(full.result, 60 * 2 + 59);
  EXPECT_EQ(split_buffer(sixty + "ba").result, -2);
  EXPECT_EQ(split_buffer(std::string(300, 'a')).result, -2);

  // An output one byte too small is refused rather than cut.
  std::vector<char> small(5);  // "ba'da" needs 6 with its NUL
  std::vector<char> typed(64);
  EXPECT_EQ(QASplitBuffer("bada", small.data(), small.size(), typed.data(), typed.size()), -2);
  EXPECT_STREQ(small.data(), "");
  std::vector<char> exact(6);
  EXPECT_EQ(QASplitBuffer("bada", exact.data(), exact.size(), typed.data(), typed.size()), 5);
  EXPECT_STREQ(exact.data(), "ba'da");

  EXPECT_EQ(QASplitBuffer(nullptr, exact.data(), exact.size(), typed.data(), typed.size()), -1);
  EXPECT_EQ(split_buffer("").result, 0);
}

TEST(AutoCorrectionTest, EachCorrectionKeepsTheLettersAligned) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"xiagn", "xiang"},   {"xiamg", "xiang"},  {"xiou", "xiu?"},   {"guei", "gui?"},
      {"luen", "lun?"},     {"yuenan", "yuenan"}, {"xion", "xio^"},  {"xiong", "xiong"},
      {"jve", "jue"},       {"xvelin", "xuelin"}, {"lve", "lve"},    {"nver", "nver"},
      {"iou", "iou"},  // the first letter is never corrected
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    std::string out = ime_apply_auto_corrections(c.in, ime_all_auto_corrections());
    EXPECT_EQ(out, c.out);
    EXPECT_EQ(out.size(), std::strlen(c.in));
  }
  QAAutoCorrections only_gn;
  only_gn.gn2ng = true;
  EXPECT_EQ(ime_apply_auto_corrections("xiouxiagn", only_gn), "xiouxiang");

  // The settings: nothing while EnableAutoCorrect is off; each pair has its own switch.
  char out[16];
  ime_auto_mode = 0;
  PreprocessAutoMode("xiou", 4, out);
  EXPECT_STREQ(out, "xiou");
  ime_auto_mode = 1;
  ime_auto_iou2iu = 0;
  PreprocessAutoMode("xiouxiagn", 9, out);
  EXPECT_STREQ(out, "xiouxiang");
  ime_auto_iou2iu = 1;
  ime_auto_mode = 0;
}

TEST(SyllableTest, ValidityFollowsTheTableAndFuzzyPinyin) {
  struct Case {
    const char* text;
    bool plain;
    bool with_fuzzy_zcs;
  } cases[] = {
      {"b", true, true},      {"i", false, false},     {"zh", true, true},     {"zho", true, true},
      {"zhuang", true, true}, {"zhuangg", false, false}, {"zuang", false, true}, {"sei", false, true},
      {"xiu?", true, true},   {"xio^", true, true},    {"xi'", false, false},  {"", false, false},
      {"lve", true, true},    {"lue", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ime_py_valid(c.text, QASplitOptions{}), c.plain);
    EXPECT_EQ(ime_py_valid(c.text, QASplitOptions{true, true, true}), c.with_fuzzy_zcs);
  }
  // The settings' fuzzy pairs count only while fuzzy pinyin is on.
  ime_fuzzy_z2zh = 1;
  EXPECT_FALSE(QAIsValidPY("zuang", 5));
  ime_fuzzy_mode = 1;
  EXPECT_TRUE(QAIsValidPY("zuang", 5));
  ime_fuzzy_mode = 0;
  ime_fuzzy_z2zh = 0;

  EXPECT_TRUE(QAIsSM("zh", 2));
  EXPECT_TRUE(QAIsSM("w", 1));
  EXPECT_FALSE(QAIsSM("a", 1));
  EXPECT_FALSE(QAIsSM("zha", 3));
  EXPECT_EQ(QANormalizeSyllable("xio^"), "xiong");
  EXPECT_EQ(QANormalizeSyllable("xiu?"), "xiu");
}

TEST(SuggestionTableTest, OnlyLinesThatSpellTheirLettersInWholeSyllablesLoad) {
  std::size_t skipped = 0;
  QASuggestionTable table = ime_parse_suggestion_table(
      "# comment\n\nxian\txi'an\r\nfangan\tfan'gan\nxian2\txi'an\nabc\ta'b'c\nxian\txi''an\nxianxi'an\n", &skipped);
  EXPECT_EQ(skipped, 4u);
  ASSERT_EQ(table.splits.size(), 2u);
  EXPECT_EQ(*ime_find_suggestion(&table, "xian"), "xi'an");
  EXPECT_EQ(ime_find_suggestion(&table, "xiang"), nullptr);

  std::string text = ime_format_suggestion_table({{"xian", "xi'an"}, {"fangan", "fan'gan"}});
  QASuggestionTable back = ime_parse_suggestion_table(text, &skipped);
  EXPECT_EQ(skipped, 0u);
  EXPECT_EQ(back.splits, table.splits);
}

}  // namespace
