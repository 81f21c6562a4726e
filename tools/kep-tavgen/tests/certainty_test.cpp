#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "tavgen_fixture.h"
#include "tools/kep-tavgen/certainty_builder.h"

namespace tavgen {
namespace {

using testing::gb;
using testing::gb2312_by_sequence;

TEST(CertaintyTest, ShareOfTheFirstCharacter) {
  const struct {
    std::uint64_t first, total;
    std::size_t count;
    int expected;
  } cases[] = {
      {50, 100, 5, 50},  {2, 3, 2, 67},         {1, 3, 2, 33},  // rounded to the nearest percent
      {1, 1000, 9, 1},   {0, 1000, 9, 1},       // at least 1
      {999, 1000, 2, 99}, {7, 7, 1, 99},        // capped below 100
      {0, 0, 1, 99},     {0, 0, 4, 25},         {0, 0, 300, 1},  // unweighted rows: equal chances
      {4000000000ull, 8000000000ull, 3, 50},    // large weights do not overflow
  };
  for (const auto& c : cases) {
    EXPECT_EQ(certainty_share(c.first, c.total, c.count), c.expected)
        << c.first << "/" << c.total << " of " << c.count;
  }
}

TEST(CertaintyTest, SyllablesWithoutEntries) {
  for (const char* none : {"eng", "lv", "lve", "nv", "nve", "bong", "mong", "muo", "ong", "pong", "shong", "suai",
                           "wun", "zuang", "www", ""}) {
    EXPECT_TRUE(has_no_certainty(none)) << none;
  }
  for (const char* some : {"a", "lue", "nue", "zhi", "eng2"}) EXPECT_FALSE(has_no_certainty(some)) << some;
}

TEST(CertaintyTest, TableHoldsGivenAndComputedValuesSortedByText) {
  CharacterWeights weights;
  weights.add("ba", gb("把"), 80);
  weights.add("ba", gb("八"), 15);
  weights.add("ba", gb("吧"), 5);
  weights.add("ji", gb("及"), 1);  // given: 9 whatever the weights
  weights.add("lv", gb("绿"), 10);
  weights.add("lve", gb("略"), 10);  // lve has none, lue (same characters) has one
  weights.add("eng", gb2312_by_sequence(5000), 10);
  weights.add("zhi", gb("之"), 10);
  for (int i = 1; i <= 200; ++i) weights.add("bian", gb2312_by_sequence(i), i == 1 ? 500 : 1);
  const std::vector<CertaintyEntry> entries = build_certainties(build_dan_rows(weights), weights);

  EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
    return std::strcmp(a.syllable.c_str(), b.syllable.c_str()) < 0;
  }));
  std::map<std::string, int> values;
  for (const auto& entry : entries) EXPECT_TRUE(values.emplace(entry.syllable, entry.value).second);
  EXPECT_EQ(values.at("ba"), 80);
  EXPECT_EQ(values.at("lue"), 99);
  EXPECT_EQ(values.at("ji"), 9);
  EXPECT_EQ(values.at("zhi"), 15);
  EXPECT_EQ(values.at("a"), 83);
  EXPECT_EQ(values.at("e"), 41);
  EXPECT_EQ(values.at("o"), 70);
  // Only the 122 characters the row keeps count: 500 of 500 + 121.
  EXPECT_EQ(values.at("bian"), 81);
  for (const char* none : {"lv", "lve", "eng", "bo", "aP", "iA"}) EXPECT_FALSE(values.contains(none)) << none;
  // The given rows (37) and the three computed ones: ba, lue, bian.
  EXPECT_EQ(entries.size(), 37u + 3u);
}

}  // namespace
}  // namespace tavgen
