#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/syllable_numbers.h"
#include "sentenceparser/core/tests/library_fixture.h"
#include "sentenceparser/core/word_library.h"
#include "sentenceparser/core/word_lookup.h"

namespace {

using namespace sentence;
using sentence_test::gbk;
using sentence_test::stored_bytes;
using sentence_test::utf8;
using sentence_test::word_key;

class ContextWordTest : public sentence_test::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    load_words_table({{"de", "的地得"}, {"ge", "个各"}, {"ren", "人任"}, {"men", "们门"}});
    clear_items();
  }
  void TearDown() override {
    clear_items();
    LibraryTest::TearDown();
  }
  static void clear_items() {
    for (Item& item : NCM) item = Item{};
    CurrentItem = 0;
  }
  // Items: the texts in order; an upper-case text is an abbreviated initial.
  static void set_items(const std::vector<std::string>& texts) {
    CurrentItem = static_cast<int>(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
      Item& item = NCM[i];
      std::snprintf(item.letters, sizeof item.letters, "%s", texts[i].c_str());
      const bool upper = texts[i][0] >= 'A' && texts[i][0] <= 'Z';
      item.flags = upper ? (kItemPinyin | kItemAbbreviated) : kItemPinyin;
    }
  }
  static std::string dot_word(int first, int last, const char* classes) {
    char text[kWordTextSize] = {};
    return IsDotWord(first, last, last - first + 1, classes, text) == 1 ? utf8(text) : "-";
  }
};

TEST_F(ContextWordTest, OneSyllableByItsClasses) {
  const std::string de = word_key({"de"});
  const std::string ge = word_key({"ge"});
  // Lookup text: initial, the two classes, code; bucket of its first three letters.
  write_library("mpp/bd1.inx", "mpp/bd1.dat",
                {{GetPy3No("dab"), {de.substr(1) + stored_bytes({2})}},
                 {GetPy3No("gab"), {ge.substr(1) + stored_bytes({1})}},
                 {GetPy3No("dba"), {de.substr(1) + stored_bytes({1})}}});
  set_items({"de", "ge", "men"});
  EXPECT_EQ(dot_word(0, 0, "ab"), "得");
  EXPECT_EQ(dot_word(0, 0, "ba"), "地");
  EXPECT_EQ(dot_word(1, 1, "ab"), "各");
  EXPECT_EQ(dot_word(2, 2, "ab"), "-");
  EXPECT_EQ(dot_word(0, 0, "AB"), "得");  // classes fold like the three-letter number
}

TEST_F(ContextWordTest, TwoSyllablesByRightClassAndCodes) {
  const std::string ren_men = word_key({"ren", "men"});
  const std::string ge_ren = word_key({"ge", "ren"});
  // Records: right class, two codes, two positions; sorted.
  std::vector<std::string> records = {std::string("b") + ren_men[4] + ren_men[5] + stored_bytes({0, 0}),
                                      std::string("c") + ren_men[4] + ren_men[5] + stored_bytes({1, 1})};
  write_library("mpp/bd2.inx", "mpp/bd2.dat",
                {{GetPy3No("gra"), {std::string("b") + ge_ren[4] + ge_ren[5] + stored_bytes({0, 0})}},
                 {GetPy3No("rma"), records}});
  set_items({"ge", "ren", "men"});
  EXPECT_EQ(dot_word(1, 2, "ab"), "人们");
  EXPECT_EQ(dot_word(1, 2, "ac"), "任门");
  EXPECT_EQ(dot_word(1, 2, "ad"), "-");
  EXPECT_EQ(dot_word(0, 1, "ab"), "个人");
}

TEST_F(ContextWordTest, RefusedGaps) {
  write_library("mpp/bd1.inx", "mpp/bd1.dat", {{GetPy3No("dab"), {word_key({"de"}).substr(1) + stored_bytes({0})}}});
  set_items({"de", "D", "de"});
  EXPECT_EQ(dot_word(0, 0, "ab"), "的");
  EXPECT_EQ(dot_word(1, 1, "ab"), "-");  // abbreviated
  NCM[2].flags = kItemFixed | kItemChinese;
  EXPECT_EQ(dot_word(2, 2, "ab"), "-");  // neither syllable nor digit
  char text[kWordTextSize] = {};
  EXPECT_EQ(IsDotWord(0, 0, 3, "ab", text), 0);
  EXPECT_EQ(IsDotWord(0, 1, 1, "ab", text), 0);  // n is not the gap
  EXPECT_EQ(IsDotWord(2, 3, 2, "ab", text), 0);  // past the items
  EXPECT_EQ(dot_word(0, 0, "a1"), "-");
}

TEST_F(ContextWordTest, TwoAbbreviatedSyllables) {
  const std::string word = gbk("人们");
  write_library("mpp/bdj2.inx", "mpp/bdj2.dat",
                {{GetPy4No("rmab"), {word, gbk("任门")}}, {GetPy4No("gdab"), {std::string("\x81\x7F\xB0\xA1", 4)}}});
  set_items({"R", "M", "G", "D", "ren"});
  const struct {
    int first;
    const char* classes;
    std::string word;
  } cases[] = {{0, "ab", "人们"}, {0, "AB", "人们"}, {0, "ac", "-"},
               {2, "ab", "-"},  // not a GBK character
               {3, "ab", "-"},  // "ren" is not abbreviated
               {1, "a1", "-"}};
  for (const auto& c : cases) {
    char text[kWordTextSize] = {};
    const int result = IsDotJPWord(c.first, c.first + 1, c.classes, text);
    EXPECT_EQ(result == 1 ? utf8(text) : "-", c.word) << c.first << " " << c.classes;
  }
}

}  // namespace
