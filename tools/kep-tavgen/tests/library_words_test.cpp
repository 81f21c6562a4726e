#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tavgen_fixture.h"
#include "tools/datasources/readers/utf8.h"
#include "tools/kep-tavgen/library_weights.h"
#include "tools/kep-tavgen/library_words_builder.h"

namespace tavgen {
namespace {

using testing::gb;
using testing::gb2312_by_sequence;

std::vector<std::string> chars(const char* utf8) { return datasources::characters_of(utf8).value(); }

std::vector<std::string> split(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find(' ', start), text.size());
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

TEST(LibraryWordsTest, LongWordsTakeTheMarksOfTheirBestDivision) {
  VocabularyIndex vocabulary;
  const struct {
    const char* text;
    const char* pinyin;
    std::uint64_t weight;
  } words[] = {
      {"中国", "zhong guo", 100000}, {"中华", "zhong hua", 9000}, {"人民", "ren min", 50000},
      {"一心", "yi xin", 300},      {"一意", "yi yi", 100},      {"心一", "xin yi", 5000},
      {"重庆", "chong qing", 8000}, {"国人", "guo ren", 800},     {"共和国", "gong he guo", 20000},
  };
  for (const auto& w : words) vocabulary.add(chars(w.text), split(w.pinyin), w.weight);

  const struct {
    const char* text;
    const char* pinyin;
    unsigned char marks;
  } cases[] = {
      {"中国人", "zhong guo ren", split_mark_after(2)},                   // the heavier pair leads
      {"中华人民", "zhong hua ren min", split_mark_after(2)},
      {"一心一意", "yi xin yi yi", split_mark_after(2)},                 // no single character beats heavier 心一
      {"中华人民共和国", "zhong hua ren min gong he guo",
       static_cast<unsigned char>(split_mark_after(2) | split_mark_after(4))},
      {"重庆市", "zhong qing shi", 0},                                   // 重庆 is read chong qing
      {"好好学习", "hao hao xue xi", 0},                                  // no shorter word at all
      {"中国", "zhong guo", 0},                                          // two characters are not divided
  };
  for (const auto& c : cases) {
    EXPECT_EQ(best_split_marks(chars(c.text), split(c.pinyin), vocabulary), c.marks) << c.text;
  }
}

// Rows of a few syllables; "yi" gets 130 characters so that its row is cut.
CharacterWeights fixture_weights() {
  CharacterWeights weights;
  const struct {
    const char* syllable;
    const char* characters;  // heaviest first
  } rows[] = {
      {"zhong", "中重种"}, {"guo", "国果过"}, {"ren", "人任"}, {"min", "民"}, {"hua", "华话"},
      {"ce", "策"},        {"lve", "略"},    {"gong", "共"},  {"he", "和"},
  };
  for (const auto& row : rows) {
    std::uint64_t weight = 1000;
    for (const std::string& c : chars(row.characters)) weights.add(row.syllable, gb(c.c_str()), weight--);
  }
  for (int i = 0; i < 130; ++i) weights.add("yi", gb2312_by_sequence(1000 + i), 5000 - i);
  return weights;
}

const LibraryWord* find(const std::vector<LibraryWord>& words, const char* pinyin, std::vector<int> positions) {
  for (const LibraryWord& w : words) {
    if (w.syllables == split(pinyin) && w.positions == positions) return &w;
  }
  return nullptr;
}

std::string utf8_of(GbkChar code);

TEST(LibraryWordsTest, TheVocabularyBecomesLibraryWords) {
  const CharacterWeights weights = fixture_weights();
  const DanRows rows = build_dan_rows(weights);
  std::vector<datasources::RimeEntry> vocabulary = {
      {"中国", {"zhong", "guo"}, 100000},
      {"中国", {"zhong", "guo"}, 90},           // a repeat keeps the heavier weight
      {"种果", {"zhong", "guo"}, 300},
      {"中国人", {"zhong", "guo", "ren"}, 5000},
      {"人民", {"ren", "min"}, 50000},
      {"策略", {"ce", "lve"}, 5000},
      {"中華", {"zhong", "hua"}, 900},          // 華 is not GB2312
      {"中民", {"zhong", "min"}, 900},
      {"国华", {"zhong", "hua"}, 900},          // 国 is not in the zhong row
      {"共和国", {"gong", "he", "guo"}, 20000},
      {"中国人", {"zhong", "guo"}, 10},         // two syllables for three characters
  };
  // Characters of the cut "yi" row: the 122nd is kept, the 123rd is beyond the row.
  for (int at : {121, 122}) {
    const std::string text = "中" + utf8_of(gb2312_by_sequence(1000 + at));
    vocabulary.push_back({text, {"zhong", "yi"}, 700});
  }
  LibraryWordsReport report;
  const LibraryWords words = build_library_words(vocabulary, rows, weights, &report);

  EXPECT_EQ(report.not_gb2312, 2u);
  EXPECT_EQ(report.not_in_row, 1u);
  EXPECT_EQ(report.beyond_row, 1u);
  EXPECT_EQ(report.spelling_copies, 1u);
  ASSERT_EQ(words.main[2].size(), 7u);  // 中国 种果 人民 策略 (two spellings) 中民 中+yi
  ASSERT_EQ(words.main[3].size(), 2u);

  const LibraryWord* china = find(words.main[2], "zhong guo", {0, 0});
  ASSERT_NE(china, nullptr);
  EXPECT_EQ(china->flags, 0x40);
  EXPECT_EQ(adjusted_weight(china->weight, china->flags, 2),
            adjusted_weight(stored_weight_for(target_weight(100000, 2), 0x40, 2), 0x40, 2));
  // Shares among the two-syllable words of the initials z, g.
  EXPECT_EQ(china->abbreviation_weight, 99);
  const LibraryWord* planted = find(words.main[2], "zhong guo", {2, 1});
  ASSERT_NE(planted, nullptr);
  EXPECT_EQ(planted->flags, 0);  // below the preferred weight
  EXPECT_EQ(planted->abbreviation_weight, 0);
  EXPECT_LT(planted->weight, china->weight);
  ASSERT_NE(find(words.main[2], "zhong yi", {0, 121}), nullptr);

  const LibraryWord* people = find(words.main[3], "zhong guo ren", {0, 0, 0});
  ASSERT_NE(people, nullptr);
  EXPECT_EQ(people->flags, 0x40 | split_mark_after(2));
  EXPECT_EQ(people->abbreviation_weight, 100);  // alone under z, g, r
  const LibraryWord* republic = find(words.main[3], "gong he guo", {0, 0, 0});
  ASSERT_NE(republic, nullptr);
  EXPECT_EQ(republic->flags, 0x40);  // no shorter word in it

  // 策略 under both spellings; only the first is offered for abbreviation.
  const LibraryWord* lve = find(words.main[2], "ce lve", {0, 0});
  const LibraryWord* lue = find(words.main[2], "ce lue", {0, 0});
  ASSERT_NE(lve, nullptr);
  ASSERT_NE(lue, nullptr);
  EXPECT_EQ(lve->flags, 0x40);
  EXPECT_EQ(lve->abbreviation_weight, 100);
  EXPECT_EQ(lue->flags, 0);
  EXPECT_EQ(lue->abbreviation_weight, 0);
  EXPECT_EQ(report.main[2], 7u);
}

TEST(LibraryWordsTest, WholeInputPhrasesOutweighTheirHomophones) {
  CharacterWeights weights = fixture_weights();
  const DanRows rows = build_dan_rows(weights);
  const std::vector<datasources::RimeEntry> vocabulary = {
      {"中华人民", {"zhong", "hua", "ren", "min"}, 30000},
      {"重话人民", {"zhong", "hua", "ren", "min"}, 11000},  // less than three times lighter
      {"中国人民", {"zhong", "guo", "ren", "min"}, 30000},
      {"重国人民", {"zhong", "guo", "ren", "min"}, 9999},  // three times lighter
      {"中华人民共和国", {"zhong", "hua", "ren", "min", "gong", "he", "guo"}, 40},
      {"中国人", {"zhong", "guo", "ren"}, 50000},
      {"重果人", {"zhong", "guo", "ren"}, 20000},  // less than three times lighter
      {"人民", {"ren", "min"}, 50000},              // alone under its syllables
      {"中华", {"zhong", "hua"}, 30000},
      {"重话", {"zhong", "hua"}, 10000},            // three times lighter
  };
  LibraryWordsReport report;
  const LibraryWords words = build_library_words(vocabulary, rows, weights, &report);
  ASSERT_EQ(words.whole[4].size(), 1u);
  EXPECT_EQ(words.whole[4][0].syllables, split("zhong guo ren min"));
  EXPECT_EQ(words.whole[4][0].positions, (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(words.whole[7].size(), 1u);
  EXPECT_TRUE(words.whole[3].empty());
  ASSERT_EQ(words.whole[2].size(), 2u);
  for (const LibraryWord& word : words.whole[2]) {
    EXPECT_TRUE(word.syllables == split("ren min") || word.syllables == split("zhong hua")) << word.syllables[0];
    EXPECT_EQ(word.positions, (std::vector<int>{0, 0}));
  }
  EXPECT_EQ(words.main[4].size(), 4u);
  EXPECT_EQ(report.whole[2], 2u);
}

TEST(LibraryWordsTest, HomophonesKeepTheirOrderAfterRounding) {
  CharacterWeights weights = fixture_weights();
  const DanRows rows = build_dan_rows(weights);
  // Three words of one key whose weights round to the same stored byte.
  const std::vector<datasources::RimeEntry> vocabulary = {
      {"中国人民", {"zhong", "guo", "ren", "min"}, 30000},
      {"重国人民", {"zhong", "guo", "ren", "min"}, 29900},
      {"种果人民", {"zhong", "guo", "ren", "min"}, 29800},
  };
  LibraryWordsReport report;
  const LibraryWords words = build_library_words(vocabulary, rows, weights, &report);
  ASSERT_EQ(words.main[4].size(), 3u);
  std::vector<int> adjusted;
  for (const LibraryWord& word : words.main[4]) adjusted.push_back(adjusted_weight(word.weight, word.flags, 4));
  std::sort(adjusted.begin(), adjusted.end(), std::greater<>());
  EXPECT_GT(adjusted[0], adjusted[1]);
  EXPECT_GT(adjusted[1], adjusted[2]);
  // The heaviest keeps the weight its frequency gives it.
  const auto heaviest = std::find_if(words.main[4].begin(), words.main[4].end(),
                                     [](const LibraryWord& w) { return w.positions == std::vector<int>{0, 0, 0, 0}; });
  ASSERT_NE(heaviest, words.main[4].end());
  EXPECT_EQ(heaviest->weight, stored_weight_for(target_weight(30000, 4), heaviest->flags, 4));
}

std::string utf8_of(GbkChar code) {
  // The fixture's characters are GB2312; find the UTF-8 text by trying the BMP's CJK block.
  for (char32_t c = 0x4E00; c <= 0x9FA5; ++c) {
    std::string text;
    text += static_cast<char>(0xE0 | (c >> 12));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
    if (gb2312_of_utf8(text) == code) return text;
  }
  return "?";
}

}  // namespace
}  // namespace tavgen
