#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "tavgen_fixture.h"
#include "tools/kep-tavgen/letter_list_builder.h"

namespace tavgen {
namespace {

using testing::gb;
using testing::gb2312_by_sequence;
using testing::gbs;

// 115 level-2 characters for each syllable below, a distinct block each, the earlier ones
// heavier: with the heads, enough to fill every list.
constexpr int kBlock = 115;

CharacterWeights full_weights() {
  CharacterWeights weights;
  const char* syllables[] = {"ai", "bo", "ci", "chi", "de", "en", "fa", "ge", "he", "ji", "ke", "li", "mo",
                             "ni", "ou", "pa", "qi", "ri", "si", "shi", "ta", "wo", "xi", "yi", "zi", "zhi"};
  int block = 0;
  for (const char* syllable : syllables) {
    for (int i = 0; i < kBlock; ++i) weights.add(syllable, gb2312_by_sequence(3756 + block * kBlock + i), 1000 - i);
    ++block;
  }
  return weights;
}

TEST(LetterListsTest, EveryListHasItsLengthAndItsHeadWithoutRepeats) {
  const LetterLists lists = build_letter_lists(full_weights());
  const struct {
    char letter;
    std::size_t length;
    const char* head;
  } cases[] = {
      {'a', 78, "按安案爱阿奥岸澳埃碍"}, {'b', 125, "不部本表报保并比办北"},
      {'e', 52, "而二尔额儿阿恩恶俄耳"},  {'o', 14, "欧偶殴呕耦讴藕鸥哦瓯怄噢沤区"},
      {'r', 102, "人日入任如然认容热让"}, {'z', 125, "在中作这主政制展自长"},
      {'i', 125, "产次从出成长重种场程"}, {'u', 125, "上是生时市实设社十事"},
      {'v', 125, "中在作这主政制展自长"}, {'x', 125, "下新行学现系性小些向"},
  };
  for (const auto& c : cases) {
    const std::vector<GbkChar>& list = lists[c.letter - 'a'];
    EXPECT_EQ(list.size(), c.length) << c.letter;
    const std::vector<GbkChar> head = gbs(c.head);
    ASSERT_GE(list.size(), head.size());
    EXPECT_TRUE(std::equal(head.begin(), head.end(), list.begin())) << c.letter;
  }
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    const std::vector<GbkChar>& list = lists[letter - 'a'];
    EXPECT_EQ(list.size(), static_cast<std::size_t>(letter_list_length(letter))) << letter;
    EXPECT_EQ(std::set<GbkChar>(list.begin(), list.end()).size(), list.size()) << letter;
  }
}

TEST(LetterListsTest, TheRestIsTheLettersCharactersByWeightSummedOverItsSyllables) {
  CharacterWeights weights = full_weights();
  // A character of two z-syllables outweighs every single-syllable one only by the sum.
  const GbkChar both = gb2312_by_sequence(3000);
  weights.add("zi", both, 700);
  weights.add("zhi", both, 700);
  const GbkChar head_again = gb("中");  // in the given head: must not stand twice
  weights.add("zhong", head_again, 5000);
  weights.add("ba", gb2312_by_sequence(3001), 999999);  // another letter's: never in z
  const LetterLists lists = build_letter_lists(weights);
  const std::vector<GbkChar>& z = lists['z' - 'a'];
  ASSERT_EQ(z.size(), 125u);
  EXPECT_EQ(z[10], both);
  EXPECT_EQ(std::count(z.begin(), z.end(), head_again), 1);
  EXPECT_EQ(std::count(z.begin(), z.end(), gb2312_by_sequence(3001)), 0);
  // After the shared character the heaviest of zi and zhi alternate (equal weights, code order).
  const GbkChar zi_first = gb2312_by_sequence(3756 + 24 * kBlock);
  const GbkChar zhi_first = gb2312_by_sequence(3756 + 25 * kBlock);
  EXPECT_EQ(z[11], zi_first);
  EXPECT_EQ(z[12], zhi_first);
}

TEST(LetterListsTest, RetroflexListsAreDerivedFromCSAndZ) {
  const LetterLists lists = build_letter_lists(full_weights());
  const auto& c = lists['c' - 'a'];
  const auto& i = lists['i' - 'a'];
  // i: 产 moved from third to first, everything else in place.
  ASSERT_EQ(c[2], gb("产"));
  EXPECT_EQ(i[0], gb("产"));
  EXPECT_EQ(i[1], c[0]);
  EXPECT_EQ(i[2], c[1]);
  EXPECT_TRUE(std::equal(c.begin() + 3, c.end(), i.begin() + 3));

  for (const auto& [derived, source] : {std::pair{'u', 's'}, std::pair{'v', 'z'}}) {
    const auto& d = lists[derived - 'a'];
    const auto& s = lists[source - 'a'];
    ASSERT_EQ(d.size(), s.size());
    EXPECT_EQ(d[0], s[1]) << derived;
    EXPECT_EQ(d[1], s[0]) << derived;
    EXPECT_TRUE(std::equal(s.begin() + 2, s.end(), d.begin() + 2)) << derived;
  }
}

TEST(LetterListsTest, TooFewCharactersLeaveAListShort) {
  // The generator refuses such sources; the builder must not pad or repeat.
  const LetterLists lists = build_letter_lists(CharacterWeights{});
  EXPECT_EQ(lists['b' - 'a'].size(), 10u);
  EXPECT_EQ(lists['o' - 'a'].size(), 14u);
}

}  // namespace
}  // namespace tavgen
