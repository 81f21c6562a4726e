#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/letter_lists.h"
#include "sentenceparser/core/library_layout.h"
#include "sentenceparser/core/syllable_numbers.h"
#include "sentenceparser/core/tests/library_fixture.h"
#include "sentenceparser/core/word_cache.h"
#include "sentenceparser/core/word_library.h"
#include "sentenceparser/core/word_lookup.h"
#include "tools/kep-tavgen/word_library_writer.h"

namespace {

using namespace sentence;
using sentence_test::gbk;
using sentence_test::main_record;
using sentence_test::utf8;
using sentence_test::word_key;

const sentence_test::Rows kRows = {
    {"zhong", "中种重"}, {"guo", "国过果"}, {"gong", "共公"}, {"hua", "华化"},
    {"ren", "人任"},     {"min", "民敏"},   {"he", "和合"},   {"jia", "家加"},
};

struct Answer {
  int result = 0;
  std::string word;
  int weight = -1;
};

class AbbreviationTest : public sentence_test::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    load_words_table(kRows);
  }
  Answer look_up(const std::string& initials, const std::string& fixed = "") {
    Answer answer;
    char text[kWordTextSize] = {};
    std::string pattern = fixed;
    if (pattern.empty()) {
      for (std::size_t i = 0; i < initials.size(); ++i) pattern += "AA";
    }
    std::snprintf(text, sizeof text, "%s", pattern.c_str());
    answer.result = IsJpWord(initials.c_str(), static_cast<int>(initials.size()), text, &answer.weight);
    answer.word = answer.result == 1 ? utf8(text) : std::string();
    return answer;
  }
  // A bucket of main-library records of `n` syllables under index number `number`.
  void write_bucket(int n, const std::string& index, std::int64_t number,
                    const std::vector<std::string>& records) {
    CloseCachedFilePool();
    write_library(index, main_library_name(n, ".dat"), {{number, records}});
  }
  // The weight of an abbreviation record without splits and without a digit.
  static int whole(int raw) { return raw * 158 / 100; }
};

TEST_F(AbbreviationTest, TwoInitialsUseTheirOwnIndexAndDecodeTheWord) {
  const std::string key = word_key({"zhong", "guo"});
  // Z and G: 25 x 26 + 6.
  write_bucket(2, kMainAbbreviationIndex, 656, {main_record(key, {1, 2}, 50, 0, 30)});
  for (const char* initials : {"ZG", "zg", "Zg"}) {
    FreeJPCache();
    jpcache_init();
    const Answer answer = look_up(initials);
    EXPECT_EQ(answer.result, 1) << initials;
    EXPECT_EQ(answer.word, "种果") << initials;
    EXPECT_EQ(answer.weight, whole(30)) << initials;
  }
  EXPECT_EQ(look_up("GZ").result, 0);
}

TEST_F(AbbreviationTest, UpperCaseKeysOfThreeAndFourSyllables) {
  const std::string three = word_key({"zhong", "guo", "ren"});
  const std::string four = word_key({"zhong", "hua", "ren", "min"});
  write_bucket(3, main_library_name(3, ".inx"), GetPy3No("zgr"), {main_record(three, {0, 0, 1}, 50, 0x40, 20)});
  write_bucket(4, main_library_name(4, ".inx"), GetPy4No("zhrm"), {main_record(four, {0, 1, 0, 0}, 50, 0, 20)});
  Answer answer = look_up("ZGR");
  EXPECT_EQ(answer.word, "中国任");
  EXPECT_EQ(answer.weight, whole(20));
  answer = look_up("ZHRM");
  EXPECT_EQ(answer.word, "中化人民");
}

TEST_F(AbbreviationTest, BestAccordingWordWithItsStopRules) {
  const std::string key = word_key({"zhong", "guo", "ren"});
  const std::int64_t number = GetPy3No("zgr");
  const std::string index = main_library_name(3, ".inx");
  const struct {
    const char* what;
    std::vector<int> raws;
    std::string fixed;
    std::string word;
  } cases[] = {
      {"heaviest", {20, 30, 10}, "", "种国人"},
      {"a later equal weight wins", {30, 30, 10}, "", "种国人"},
      {"sure above 49", {60, 70, 10}, "", "中国人"},
      {"the rest cannot beat it", {40, 35, 45}, "", "中国人"},
      {"disagreeing words count nothing", {40, 35, 45}, "AAAA" + gbk("任"), "重过任"},
  };
  for (const auto& c : cases) {
    FreeJPCache();
    jpcache_init();
    write_bucket(3, index, number,
                 {main_record(key, {0, 0, 0}, 50, 0, c.raws[0]), main_record(key, {1, 0, 0}, 50, 0, c.raws[1]),
                  main_record(key, {2, 1, 1}, 50, 0, c.raws[2])});
    const Answer answer = look_up("ZGR", c.fixed);
    EXPECT_EQ(answer.word, c.word) << c.what;
  }
}

TEST_F(AbbreviationTest, FiveSyllablesSearchTheirFurtherInitials) {
  const std::vector<std::string> head = {"zhong", "hua", "ren", "min"};
  auto key_with = [&](const std::string& last) {
    std::vector<std::string> syllables = head;
    syllables.push_back(last);
    return word_key(syllables);
  };
  // Sorted by the fifth initial: g, h, h, j. The g and j words weigh most but do not match.
  write_bucket(5, main_library_name(5, ".inx"), GetPy4No("zhrm"),
               {main_record(key_with("gong"), {0, 0, 0, 0, 0}, 50, 0, 45),
                main_record(key_with("he"), {0, 0, 0, 0, 0}, 50, 0, 10),
                main_record(key_with("he"), {0, 0, 0, 0, 1}, 50, 0, 20),
                main_record(key_with("jia"), {0, 0, 0, 0, 0}, 50, 0, 45)});
  Answer answer = look_up("ZHRMH");
  EXPECT_EQ(answer.word, "中华人民合");
  EXPECT_EQ(answer.weight, whole(20));
  EXPECT_EQ(look_up("ZHRMG").word, "中华人民共");
  EXPECT_EQ(look_up("ZHRMR").result, 0);
}

TEST_F(AbbreviationTest, AnswersAndMissesAreCached) {
  const std::string key = word_key({"zhong", "guo"});
  EXPECT_EQ(look_up("ZG").result, 0);
  write_bucket(2, kMainAbbreviationIndex, 656, {main_record(key, {0, 0}, 50, 0, 30)});
  EXPECT_EQ(look_up("ZG").result, 0);  // the miss stays

  const std::string three = word_key({"zhong", "guo", "ren"});
  write_bucket(3, main_library_name(3, ".inx"), GetPy3No("zgr"), {main_record(three, {0, 0, 0}, 50, 0, 20)});
  EXPECT_EQ(look_up("ZGR").word, "中国人");
  write_bucket(3, main_library_name(3, ".inx"), GetPy3No("zgr"), {main_record(three, {1, 1, 1}, 50, 0, 20)});
  EXPECT_EQ(look_up("ZGR").word, "中国人");
}

TEST_F(AbbreviationTest, EmptyEntryNeverOpensTheData) {
  write(main_library_name(3, ".inx"), sentence_test::index_bytes({{GetPy3No("zgr"), {0, 0}}}));
  write(main_library_name(3, ".dat"), main_record(word_key({"zhong", "guo", "ren"}), {0, 0, 0}, 50, 0, 20));
  EXPECT_EQ(look_up("ZGR").result, 0);
  const std::string data = (dir_.path() / main_library_name(3, ".dat")).string();
  for (QAMMap* slot : _cached_pool) {
    if (slot != nullptr) {
      EXPECT_NE(data, slot->path);
    }
  }
}

TEST_F(AbbreviationTest, LengthsAndKeysOutsideTheLibraries) {
  EXPECT_EQ(look_up("Z1").result, 0);
  EXPECT_EQ(look_up("ZGRMHZGR").result, 0);
  MaxWordNum = 4;
  write_bucket(5, main_library_name(5, ".inx"), GetPy4No("zhrm"),
               {main_record(word_key({"zhong", "hua", "ren", "min", "he"}), {0, 0, 0, 0, 0}, 50, 0, 20)});
  EXPECT_EQ(look_up("ZHRMH").result, 0);
  MaxWordNum = 7;
  EXPECT_EQ(look_up("ZHRMH").word, "中华人民和");
}

TEST_F(AbbreviationTest, OneInitialTakesTheFirstCharacterOfItsLetter) {
  const Answer answer = look_up("Z");
  EXPECT_EQ(answer.result, 1);
  EXPECT_EQ(answer.weight, 1);
  char list[260] = {};
  ASSERT_GT(GetJJppDan("z", list), 0);
  EXPECT_EQ(gbk(answer.word), std::string(list, 2));
}

TEST_F(AbbreviationTest, LibrariesFromTheGenerator) {
  std::string error;
  const std::vector<tavgen::LibraryWord> words = {
      {{"zhong", "guo"}, {0, 0}, 60, 25, 0x00, 0},
      {{"zhong", "gong"}, {0, 1}, 50, 30, 0x00, 0},
      {{"zhong", "guo"}, {1, 2}, 40, 5, 0x00, 0},
  };
  ASSERT_TRUE(tavgen::write_main_library(dir_.path(), 2, words, &error)) << error;
  Answer answer = look_up("ZG");
  EXPECT_EQ(answer.word, "中公");
  EXPECT_EQ(answer.weight, whole(30));
  answer = look_up("ZG", "AA" + gbk("国"));
  EXPECT_EQ(answer.word, "中国");
  // The full-pinyin reader agrees with the same files: the heavier homophone.
  char text[kWordTextSize] = "AAAA";
  int weight = 0;
  unsigned char flags = 0;
  const std::string key = word_key({"zhong", "guo"});
  ASSERT_EQ(IsMyWord(0, 1, key.c_str(), 2, text, &weight, &flags, 0), 1);
  EXPECT_EQ(utf8(text), "中国");
}

}  // namespace
