#include "sentenceparser/core/learning.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "sentenceparser/core/tests/hanzi_library_fixture.h"

using namespace sentence;
using namespace sentence_test;

namespace {

// key, word (UTF-8), abbreviation flag
using Learned = std::tuple<std::string, std::string, int>;

std::vector<Learned>& recorded() {
  static std::vector<Learned> words;
  return words;
}

int record(char* pinyin, const char* word, char* count, const char* type, int abbreviation) {
  EXPECT_STREQ(count, "1");
  EXPECT_STREQ(type, "A");
  recorded().emplace_back(pinyin, utf8(word), abbreviation);
  return 1;
}

class Learning : public HanziLibraryTest {
 protected:
  void SetUp() override {
    HanziLibraryTest::SetUp();
    recorded().clear();
    saved_ = LearnedWordStore;
    LearnedWordStore = &record;
  }
  void TearDown() override {
    LearnedWordStore = saved_;
    HanziLibraryTest::TearDown();
  }
  std::vector<Learned> learn(const char* pinyin, const std::string& text_utf8, int mode = 0,
                             int expected_status = 1) {
    recorded().clear();
    EXPECT_EQ(LearnText(pinyin, gbk(text_utf8).c_str(), mode), expected_status) << pinyin;
    return recorded();
  }
  LearnedWordSink saved_ = nullptr;
};

TEST_F(Learning, CorrectedWordAndEveryWordSpanEndingThereAreLearned) {
  const std::vector<Learned> expected = {
      {"TSYGJS", "他是一个教师", 1},
      {"shi-yi-ge-jiao-shi", "是一个教师", 0},
      {"yi-ge-jiao-shi", "一个教师", 0},
      {"jiao-shi", "教师", 0},
  };
  EXPECT_EQ(learn("ta_shi_yi_ge_jiao_*shi", "他 是 一个 教师"), expected);
}

TEST_F(Learning, UnchangedSentenceWithoutSeparatorsTeachesOnlyItsAbbreviation) {
  EXPECT_EQ(learn("ni_hao_ma", "你好吗"), (std::vector<Learned>{{"NHM", "你好吗", 1}}));
  // Marked, the sentence is one word over all its items; its inner pairs are not words.
  EXPECT_EQ(learn("ni_*hao_ma", "你好吗"),
            (std::vector<Learned>{{"NHM", "你好吗", 1}, {"ni-hao-ma", "你好吗", 0}}));
  // A mark before the '_' belongs to the syllable being built.
  EXPECT_EQ(learn("ni*_hao", "你好"),
            (std::vector<Learned>{{"NH", "你好", 1}, {"ni-hao", "你好", 0}}));
}

TEST_F(Learning, SpanCoveringPartOfANameIsNotLearned) {
  // 王明 is a name: 见王 ends inside it.
  EXPECT_EQ(learn("jian_*wang_ming", "见王 明"),
            (std::vector<Learned>{{"JWM", "见王明", 1}, {"jian-wang-ming", "见王明", 0}}));
  // 王的 is none, so the same span is learned.
  EXPECT_EQ(learn("jian_*wang_de", "见王 的"),
            (std::vector<Learned>{{"JWD", "见王的", 1}, {"jian-wang-de", "见王的", 0},
                                  {"jian-wang", "见王", 0}}));
}

TEST_F(Learning, AbbreviationRunsOfTwoToNineChangedItems) {
  EXPECT_EQ(learn("*Z_G_ren", "中国人"),
            (std::vector<Learned>{{"ZG", "中国", 1}, {"ZGR", "中国人", 1}}));
  // Unchanged runs teach nothing of their own; an all-abbreviated sentence is no new entry.
  EXPECT_EQ(learn("Z_G_ren", "中国人"), (std::vector<Learned>{{"ZGR", "中国人", 1}}));
  EXPECT_EQ(learn("*ZG", "中国"), (std::vector<Learned>{{"ZG", "中国", 1}}));
  EXPECT_EQ(learn("*ABCDEFGHJ", "一二三四五六七八九"),
            (std::vector<Learned>{{"ABCDEFGHJ", "一二三四五六七八九", 1}}));
  EXPECT_TRUE(learn("*ABCDEFGHJK", "一二三四五六七八九十").empty());
}

TEST_F(Learning, LeadingRunIsLearnedInModeOne) {
  EXPECT_EQ(learn("ni_hao_ma", "你好吗", 1),
            (std::vector<Learned>{{"NHM", "你好吗", 1}, {"ni-hao-ma", "你好吗", 0}}));
  // It stops at an abbreviated item and needs two syllables.
  EXPECT_EQ(learn("ni_hao_M", "你好吗", 1),
            (std::vector<Learned>{{"NHM", "你好吗", 1}, {"ni-hao", "你好", 0}}));
  EXPECT_EQ(learn("ni_H", "你好", 1), (std::vector<Learned>{{"NH", "你好", 1}}));
  // Seven leading syllables reach MaxWordNum: too long for one word.
  EXPECT_EQ(learn("yi_er_san_si_wu_liu_qi", "一二三四五六七", 1),
            (std::vector<Learned>{{"YESSWLQ", "一二三四五六七", 1}}));
}

TEST_F(Learning, MismatchedTextLearnsNothing) {
  const struct {
    const char* pinyin;
    const char* text;
  } cases[] = {
      {"ni_hao", "你好吗"},
      {"ni_hao_ma", "你好"},
      {"ni_hao", ""},
      {"", "你"},
  };
  for (const auto& c : cases) EXPECT_TRUE(learn(c.pinyin, c.text, 0, 0).empty()) << c.pinyin;
  EXPECT_EQ(LearnText(nullptr, "", 0), 0);
  EXPECT_EQ(LearnText("ni", nullptr, 0), 0);
}

TEST_F(Learning, ItemsBeyondTheTableAreIgnored) {
  std::string pinyin;
  for (int i = 0; i < 300; ++i) pinyin += "a_";
  std::string text_256;
  for (int i = 0; i < 256; ++i) text_256 += "啊";
  EXPECT_TRUE(learn(pinyin.c_str(), text_256).empty());
  EXPECT_TRUE(learn(pinyin.c_str(), text_256 + "啊", 0, 0).empty());
}

TEST_F(Learning, GivenCharactersAndOverlongSyllables) {
  // A syllable keeps six letters.
  EXPECT_EQ(learn("zhuangzhuang_*hao", "壮好"),
            (std::vector<Learned>{{"ZH", "壮好", 1}, {"zhuang-hao", "壮好", 0}}));
  // A trailing given character is left out of the sentence's abbreviation; one inside cancels it.
  EXPECT_EQ(learn("ni_*hao，", "你好，"), (std::vector<Learned>{{"NH", "你好", 1}}));
  EXPECT_TRUE(learn("ni，*hao", "你，好").empty());
}

TEST_F(Learning, StrayBytesMakeNoItems) {
  EXPECT_TRUE(learn("\xFF\x80ni\x81", "你").empty());
  recorded().clear();
  EXPECT_EQ(LearnText("ni", (gbk("你") + "\x81").c_str(), 0), 1);
  EXPECT_TRUE(recorded().empty());
}

TEST_F(Learning, TermsFromTheWordLibraryAreNotCut) {
  write_word_library(2, {"学生"});
  // 大学 学生: the span 大学 ends inside the term 学生.
  EXPECT_EQ(learn("da_*xue_sheng", "大学 生"),
            (std::vector<Learned>{{"DXS", "大学生", 1}, {"da-xue-sheng", "大学生", 0}}));
}

}  // namespace
