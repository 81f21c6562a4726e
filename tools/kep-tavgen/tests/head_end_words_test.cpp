#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tavgen_fixture.h"
#include "tools/datasources/readers/utf8.h"
#include "tools/kep-tavgen/head_end_words_builder.h"
#include "tools/kep-tavgen/library_weights.h"

namespace tavgen {
namespace {

using testing::gb;

TEST(JiebaDictionaryTest, LinesOfWordFrequencyAndTag) {
  const std::vector<TaggedWord> words =
      parse_jieba_dictionary("但是 28055 c\nAT&T 3 nz\r\nbad line\n词 x c\n\n  而已\t3085 y\r\n长 5");
  ASSERT_EQ(words.size(), 3u);
  EXPECT_EQ(words[0].text, "但是");
  EXPECT_EQ(words[0].frequency, 28055u);
  EXPECT_EQ(words[0].tag, "c");
  EXPECT_EQ(words[1].text, "AT&T");
  EXPECT_EQ(words[2].text, "而已");
  EXPECT_EQ(words[2].tag, "y");
  EXPECT_EQ(texts_tagged(words, kIdiomTags), std::set<std::string>{});
  EXPECT_EQ(texts_tagged(words, kEndTags), std::set<std::string>{"而已"});
}

class HeadEndWordsTest : public ::testing::Test {
 protected:
  HeadEndWordsTest() {
    weights_ = testing::weights_of_rows({{"dan", "单但"}, {"shi", "是事"}, {"er", "而儿"}, {"yi", "以已"},
                                         {"ru", "如"}, {"guo", "果国"}, {"yin", "因"}, {"wei", "为"}});
    rows_ = build_dan_rows(weights_);
    const std::vector<datasources::RimeEntry> vocabulary = {
        {"单是", {"dan", "shi"}, 50000}, {"但是", {"dan", "shi"}, 5000}, {"而已", {"er", "yi"}, 3000},
        {"如果", {"ru", "guo"}, 1000},
    };
    LibraryWordsReport report;
    library_ = build_library_words(vocabulary, rows_, weights_, &report);
  }

  const LibraryWord* main_word(const std::vector<std::string>& syllables, const std::vector<int>& positions) const {
    for (const LibraryWord& word : library_.main[2]) {
      if (word.syllables == syllables && word.positions == positions) return &word;
    }
    return nullptr;
  }

  CharacterWeights weights_;
  DanRows rows_;
  LibraryWords library_;
};

TEST_F(HeadEndWordsTest, TaggedWordsAreStoredToWinOverTheirHomophones) {
  const std::vector<TaggedWord> tagged = {
      {"但是", 200, "c"}, {"单是", 150, "c"},  // one key: the more frequent stays
      {"而已", 300, "y"}, {"如果", 50, "c"},   // too rare
      {"因为", 500, "c"},                      // not in the main library
      {"单是", 900, "a"},                      // no head or end tag
  };
  HeadEndReport report;
  const auto words = build_head_end_words(tagged, library_, rows_, &report);
  EXPECT_EQ(report.heads, 1u);
  EXPECT_EQ(report.ends, 1u);
  EXPECT_EQ(report.not_in_main, 1u);
  ASSERT_EQ(words[2].size(), 2u);
  for (int n = 3; n <= kHeadEndWordMax; ++n) EXPECT_TRUE(words[n].empty()) << n;

  const LibraryWord* rival = main_word({"dan", "shi"}, {0, 0});
  const LibraryWord* but = main_word({"dan", "shi"}, {1, 0});
  ASSERT_NE(rival, nullptr);
  ASSERT_NE(but, nullptr);
  ASSERT_LT(adjusted_weight(but->weight, but->flags, 2), adjusted_weight(rival->weight, rival->flags, 2));
  const LibraryWord& head = words[2][0].marker == 'h' ? words[2][0] : words[2][1];
  EXPECT_EQ(head.marker, 'h');
  EXPECT_EQ(head.positions, (std::vector<int>{1, 0}));
  EXPECT_EQ(head.flags, but->flags);
  EXPECT_GE(adjusted_weight(head.weight, head.flags, 2), adjusted_weight(rival->weight, rival->flags, 2));
  EXPECT_LT(adjusted_weight(head.weight - 1, head.flags, 2), adjusted_weight(rival->weight, rival->flags, 2));

  const LibraryWord& end = words[2][0].marker == 'e' ? words[2][0] : words[2][1];
  const LibraryWord* only = main_word({"er", "yi"}, {0, 1});
  ASSERT_NE(only, nullptr);
  EXPECT_EQ(end.marker, 'e');
  EXPECT_EQ(end.weight, only->weight);  // nothing to win over
}

}  // namespace
}  // namespace tavgen
