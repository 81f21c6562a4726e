#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "sentenceparser/core/reading_library_layout.h"
#include "tavgen_fixture.h"
#include "tools/kep-tavgen/position_weights_writer.h"

namespace tavgen {
namespace {

using testing::gb;

int place_of(const std::string& bytes, const char* character, int place) {
  const std::size_t at = (gb2312_sequence(gb(character)) - 1) * sentence::kPositionWeightBytes + place;
  return static_cast<unsigned char>(bytes.at(at));
}

int scaled(double sum, double largest) { return static_cast<int>(std::lround(255 * std::log1p(sum) / std::log1p(largest))); }

TEST(PositionWeightsTest, SumsPerPlaceScaledToTheLargest) {
  const std::vector<datasources::RimeEntry> vocabulary = {
      {"中国", {"zhong", "guo"}, 999},
      {"中国", {"zhong", "guo"}, 10},  // the same word again: counts once, with its heaviest weight
      {"国中", {"guo", "zhong"}, 99},
      {"中国人", {"zhong", "guo", "ren"}, 9},
      {"人民", {"ren", "min"}, 0},      // unweighted: still counts
      {"中华人民", {"zhong", "hua", "ren", "min"}, 5000},  // four characters: no place
  };
  Gb2312Cache gb2312;
  const std::string bytes = write_position_weights(vocabulary, gb2312);
  ASSERT_EQ(bytes.size(), kGb2312HanziCount * sentence::kPositionWeightBytes);
  // Each word weighs one more than its source weight; the largest sum is 中 first of two (1000).
  EXPECT_EQ(place_of(bytes, "中", 0), 255);
  EXPECT_EQ(place_of(bytes, "中", 1), scaled(100, 1000));
  EXPECT_EQ(place_of(bytes, "国", 0), scaled(100, 1000));
  EXPECT_EQ(place_of(bytes, "国", 1), 255);
  EXPECT_EQ(place_of(bytes, "中", 2), scaled(10, 1000));
  EXPECT_EQ(place_of(bytes, "国", 3), scaled(10, 1000));
  EXPECT_EQ(place_of(bytes, "人", 4), scaled(10, 1000));
  EXPECT_EQ(place_of(bytes, "人", 0), scaled(1, 1000));
  EXPECT_GE(place_of(bytes, "民", 1), 1);
  EXPECT_EQ(place_of(bytes, "人", 1), 0);
  EXPECT_EQ(place_of(bytes, "华", 1), 0);
  EXPECT_EQ(place_of(bytes, "华", 0), 0);
}

TEST(PositionWeightsTest, NoWordsGiveZeros) {
  Gb2312Cache gb2312;
  const std::string bytes = write_position_weights({}, gb2312);
  EXPECT_EQ(bytes, std::string(kGb2312HanziCount * sentence::kPositionWeightBytes, '\0'));
}

}  // namespace
}  // namespace tavgen
