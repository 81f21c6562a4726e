#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tavgen_fixture.h"
#include "tools/datasources/readers/utf8.h"
#include "tools/kep-tavgen/context_words_builder.h"
#include "tools/kep-tavgen/dan_rows.h"

namespace tavgen {
namespace {

using testing::gb;
using testing::gbs;

GapCandidate candidate(const char* characters, std::vector<std::string> syllables, std::set<std::string> contexts,
                       std::uint64_t weight, bool unit = false) {
  return {datasources::characters_of(characters).value(), std::move(syllables), std::move(contexts), weight, unit};
}

void add(GapCandidates* into, GapCandidate c) {
  std::string key;
  for (const std::string& character : c.characters) key += character;
  for (const std::string& syllable : c.syllables) key += '\t' + syllable;
  (*into)[key] = std::move(c);
}

class ContextWordsBuilderTest : public ::testing::Test {
 protected:
  ContextWordsBuilderTest() {
    weights_ = testing::weights_of_rows({{"ge", "革个"}, {"dao", "道到刀"}, {"ban", "般班"}, {"mi", "密米"},
                                         {"gu", "古股"}, {"gong", "工公"}, {"li", "里理"}, {"gao", "高"}});
    rows_ = build_dan_rows(weights_);
  }

  ContextLibraryWords build(const GapEvidence& evidence) {
    return build_context_words(evidence, RowPositions(rows_, weights_), &report_);
  }

  // The word for `syllables` between the classes, as its row positions; empty for none.
  static std::vector<int> positions(const std::vector<GapWord>& words, char left, char right,
                                    const std::vector<std::string>& syllables) {
    for (const GapWord& word : words) {
      if (word.left == left && word.right == right && word.syllables == syllables) return word.positions;
    }
    return {};
  }

  CharacterWeights weights_;
  DanRows rows_;
  ContextWordsReport report_;
};

TEST_F(ContextWordsBuilderTest, EachSyllableGetsTheWordSeenAfterTheMostNumbers) {
  GapEvidence evidence;
  add(&evidence.after_numbers, candidate("个", {"ge"}, {"三", "两"}, 10));
  add(&evidence.after_numbers, candidate("革", {"ge"}, {"一", "五"}, 5));          // as many, lighter
  add(&evidence.after_numbers, candidate("般", {"ban"}, {"一"}, 90000));            // one number only
  add(&evidence.after_numbers, candidate("班", {"ban"}, {"一", "二", "三"}, 30));
  add(&evidence.after_numbers, candidate("米", {"mi"}, {}, 0, true));               // a unit
  add(&evidence.after_numbers, candidate("密", {"mi"}, {"一", "二"}, 900));         // beaten by the unit
  add(&evidence.after_numbers, candidate("公里", {"gong", "li"}, {"三", "五"}, 40));
  add(&evidence.after_numbers, candidate("工理", {"gong", "li"}, {"三"}, 400));     // one number only
  add(&evidence.after_numbers, candidate("个", {"gao"}, {"三", "五"}, 40));         // not in the gao row
  add(&evidence.between_numbers, candidate("到", {"dao"}, {"一-两"}, 3));
  add(&evidence.between_numbers, candidate("刀", {"dao"}, {"千-万"}, 2));         // as many, lighter
  add(&evidence.after_letters, candidate("股", {"gu"}, {"a", "h"}, 0));
  const ContextLibraryWords words = build(evidence);

  EXPECT_EQ(report_.after_numbers, 4u);
  EXPECT_EQ(report_.between_numbers, 1u);
  EXPECT_EQ(report_.after_letters, 1u);
  EXPECT_EQ(report_.not_placed, 1u);
  const struct {
    char left;
    char right;
    std::vector<std::string> syllables;
    std::vector<int> positions;  // empty: no word
  } cases[] = {
      {'a', 'd', {"ge"}, {1}},        {'a', 'b', {"ge"}, {1}},        {'a', 'w', {"ge"}, {1}},
      {'a', 'a', {"ge"}, {}},         {'b', 'd', {"ge"}, {}},         {'a', 'd', {"ban"}, {1}},
      {'a', 'e', {"mi"}, {1}},        {'a', 'd', {"gong", "li"}, {1, 0}},
      {'a', 'a', {"dao"}, {1}},       {'a', 'd', {"dao"}, {}},        {'b', 'd', {"gu"}, {1}},
      {'b', 'a', {"gu"}, {1}},        {'b', 'b', {"gu"}, {}},         {'a', 'x', {"ge"}, {}},
      {'a', 'z', {"ge"}, {}},
  };
  for (const auto& c : cases) {
    const std::vector<GapWord>& library = c.syllables.size() == 1 ? words.one : words.two;
    EXPECT_EQ(positions(library, c.left, c.right, c.syllables), c.positions)
        << c.left << c.right << " " << c.syllables[0];
  }
  EXPECT_EQ(words.one.size(), 3u * 22 + 1 + 22);  // 个 班 米 before b..w, 到, 股 before a, c..w
  EXPECT_EQ(words.two.size(), 22u);
}

TEST_F(ContextWordsBuilderTest, TwoAbbreviatedSyllablesGetTheBestWordOfTheirInitials) {
  GapEvidence evidence;
  add(&evidence.after_numbers, candidate("公里", {"gong", "li"}, {"三", "五"}, 40));
  add(&evidence.after_numbers, candidate("古里", {"gu", "li"}, {"三", "五", "六"}, 4));
  add(&evidence.after_numbers, candidate("个", {"ge"}, {"三", "两"}, 10));
  const ContextLibraryWords words = build(evidence);
  ASSERT_EQ(words.abbreviated.size(), 22u);
  for (const AbbreviatedGapWord& word : words.abbreviated) {
    EXPECT_EQ(word.left, 'a');
    EXPECT_EQ(word.initials, "gl");
    EXPECT_EQ(word.characters, gbs("古里"));
  }
  EXPECT_NE(std::find_if(words.abbreviated.begin(), words.abbreviated.end(),
                         [](const AbbreviatedGapWord& w) { return w.right == 'd'; }),
            words.abbreviated.end());
}

}  // namespace
}  // namespace tavgen
