#include "sentenceparser/core/word_listing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sentenceparser/core/library_layout.h"
#include "sentenceparser/core/syllable_numbers.h"
#include "sentenceparser/core/tests/library_fixture.h"

namespace {

using namespace sentence;
using sentence_test::gbk;
using sentence_test::main_record;
using sentence_test::utf8;
using sentence_test::word_key;

TEST(WeightLetters, QuartersUpToNinetySix) {
  const struct {
    int weight;
    char letter;
  } cases[] = {{-5, 'a'}, {0, 'a'}, {1, 'b'}, {4, 'b'}, {5, 'c'}, {96, 'y'}, {97, 'z'}, {5000, 'z'}};
  for (const auto& c : cases) EXPECT_EQ(trans_weight(c.weight), c.letter) << c.weight;
}

ListedWord listed(const std::string& text, int weight) {
  ListedWord word{};
  std::snprintf(word.text, sizeof word.text, "%s", text.c_str());
  word.weight = weight;
  return word;
}

TEST(Listing, HeaviestFirstEqualsInOrder) {
  char out[kListingSize] = {};
  EXPECT_EQ(write_listing({listed(gbk("甲"), 10), listed(gbk("乙"), 50), listed(gbk("丙"), 10), listed("", 90)}, out), 3);
  EXPECT_EQ(utf8(out), "乙" + std::string(1, trans_weight(50)) + "甲" + trans_weight(10) + "丙" + trans_weight(10));
}

TEST(Listing, StaysBelowItsSize) {
  std::vector<ListedWord> words(60, listed(gbk("中国"), 20));  // 5 bytes each with the letter
  char out[kListingSize + 8];
  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(write_listing(words, out), 51);
  EXPECT_EQ(std::strlen(out), 255u);
}

class LibraryListingTest : public sentence_test::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    load_words_table({{"zhong", "中种重"}, {"guo", "国过果"}});
  }
};

TEST_F(LibraryListingTest, FullPinyinHomophonesThatAgreeAndAreNotRefused) {
  const std::string key = word_key({"zhong", "guo"});
  write_library(main_library_name(2, ".inx"), main_library_name(2, ".dat"),
                {{GetPy4No(key.c_str()),
                  {main_record(key, {0, 0}, 20, 0x00), main_record(key, {1, 1}, 90, 0x20),
                   main_record(key, {2, 2}, 60, 0x60), main_record(key, {1, 0}, 5, 0x00)}}});
  // Undivided: x 1.42 x 1.56; preferred: x 1.56; then the two-syllable length factor.
  const int first = 20 * 142 / 100 * 156 / 100 * 65 / 100;
  const int third = 60 * 156 / 100 * 65 / 100;
  const int fourth = 5 * 142 / 100 * 156 / 100 * 65 / 100;
  char out[kListingSize] = {};
  EXPECT_EQ(MyAllWord(0, 1, key.c_str(), 2, "AAAA", out), 3);
  EXPECT_EQ(utf8(out), "重果" + std::string(1, trans_weight(third)) + "中国" + trans_weight(first) + "种国" +
                           trans_weight(fourth));
  EXPECT_EQ(MyAllWord(0, 1, key.c_str(), 2, ("AA" + gbk("国")).c_str(), out), 2);
  EXPECT_EQ(utf8(out), "中国" + std::string(1, trans_weight(first)) + "种国" + trans_weight(fourth));
  EXPECT_EQ(MyAllWord(0, 1, word_key({"zhong", "zhong"}).c_str(), 2, "AAAA", out), 0);
  EXPECT_STREQ(out, "");
}

TEST_F(LibraryListingTest, AbbreviationOffersOnlyMarkedWords) {
  const std::string key = word_key({"zhong", "guo"});
  write_library(kMainAbbreviationIndex, main_library_name(2, ".dat"),
                {{GetPy2No("zg"),
                  {main_record(key, {0, 0}, 50, 0x40, 30), main_record(key, {1, 1}, 50, 0x00, 80),
                   main_record(key, {2, 2}, 50, 0x60, 40)}}});
  char out[kListingSize] = {};
  EXPECT_EQ(MyAllJpWord("ZG", 2, "AAAA", out), 2);
  // Undivided words count one more before the abbreviation factor.
  const int first = (30 + 1) * 158 / 100;
  const int third = 40 * 150 / 100;
  ASSERT_GT(third, first);
  EXPECT_EQ(utf8(out), "重果" + std::string(1, trans_weight(third)) + "中国" + trans_weight(first));
  EXPECT_EQ(MyAllJpWord("Z1", 2, "AAAA", out), 0);
}

}  // namespace
