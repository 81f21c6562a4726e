#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <vector>

#include "tools/kep-tavgen/library_weights.h"

namespace tavgen {
namespace {

TEST(LibraryWeightsTest, AdjustmentFollowsTheServiceSteps) {
  const struct {
    int stored;
    unsigned char flags;
    int n;
    int adjusted;
  } cases[] = {
      {50, 0x40, 2, 71},   // 78, 110, 71
      {100, 0x00, 2, 172},  // 142, 221, two syllables above 97: 265, 172
      {97, 0x00, 2, 138},   // 137, 213, no bonus at 97, 138
      {60, 0x10, 3, 165},   // last syllable alone: no factor but the length
      {60, 0x50, 3, 255},   // boosted: 93, 255
      {10, 0x10, 4, 78},    // two halves, no single syllable: 14, 21, 78
      {1, 0x00, 7, 10},     // 1, 1, 10
  };
  for (const auto& c : cases) {
    EXPECT_EQ(adjusted_weight(c.stored, c.flags, c.n), c.adjusted) << c.stored << " " << int(c.flags) << " " << c.n;
  }
}

TEST(LibraryWeightsTest, SingleSyllablePiecesFollowTheSplitMarks) {
  const struct {
    unsigned char flags;
    int n;
    int singles;
  } cases[] = {
      {0x00, 3, 0}, {0x20, 3, 1}, {0x10, 3, 1}, {0x30, 3, 3}, {0x10, 4, 0},
      {0x08, 4, 1}, {0x28, 5, 1}, {0x01, 7, 1}, {0x01, 3, 0}, {0x40, 4, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(single_syllable_pieces(c.flags, c.n), c.singles) << int(c.flags) << " " << c.n;
  }
}

TEST(LibraryWeightsTest, TheStoredWeightLandsNearestTheTarget) {
  for (int n = 2; n <= 7; ++n) {
    for (unsigned char flags : {0x00, 0x40, 0x10, 0x50}) {
      for (int target = 0; target <= 1400; target += 7) {
        const int stored = stored_weight_for(target, flags, n);
        ASSERT_GE(stored, 1);
        ASSERT_LE(stored, 121);
        const int distance = std::abs(adjusted_weight(stored, flags, n) - target);
        if (stored > 1) {
          EXPECT_LE(distance, std::abs(adjusted_weight(stored - 1, flags, n) - target));
        }
        if (stored < 121) {
          EXPECT_LE(distance, std::abs(adjusted_weight(stored + 1, flags, n) - target));
        }
      }
      EXPECT_EQ(stored_weight_for(100000, flags, n), 121);
      EXPECT_EQ(stored_weight_for(0, flags, n), 1);
    }
  }
}

// Vocabulary weights from rare to the most common, a factor of about 1.5 apart.
std::vector<std::uint64_t> weight_ladder() {
  std::vector<std::uint64_t> ladder;
  for (double w = 1; w < 5e6; w *= 1.5) ladder.push_back(static_cast<std::uint64_t>(w));
  return ladder;
}

TEST(LibraryWeightsTest, AdjustedWeightsRiseWithTheWordWeightWithinALength) {
  for (int n = 2; n <= 7; ++n) {
    for (unsigned char flags : {0x00, 0x40, 0x10}) {
      int previous = 0;
      for (std::uint64_t weight : weight_ladder()) {
        const int adjusted = adjusted_weight(stored_weight_for(target_weight(weight, n), flags, n), flags, n);
        EXPECT_GE(adjusted, previous) << n << " " << weight;
        previous = adjusted;
      }
    }
  }
  EXPECT_LT(target_weight(300, 2), target_weight(3000, 2));
  EXPECT_EQ(target_weight(0, 2), 1);
  EXPECT_EQ(target_weight(1, 2), 1);
}

TEST(LibraryWeightsTest, AdjustedWeightsTrackOneScaleAcrossLengths) {
  // Where both lengths reach their targets, the word whose target is higher weighs more whatever
  // its length, once the targets differ by more than the widest gap between two adjacent stored
  // weights; at equal frequency the longer word's target is higher by the bonus per syllable.
  int step = 0;
  for (int n = 2; n <= 7; ++n) {
    for (int w = 1; w < 121; ++w) step = std::max(step, adjusted_weight(w + 1, 0, n) - adjusted_weight(w, 0, n));
  }
  const auto reachable = [](int target, int n) {
    return target >= adjusted_weight(1, 0, n) && target <= adjusted_weight(121, 0, n);
  };
  int compared = 0;
  for (std::uint64_t rare : weight_ladder()) {
    for (std::uint64_t common : weight_ladder()) {
      for (int n = 2; n <= 7; ++n) {
        for (int m = 2; m <= 7; ++m) {
          const int low = target_weight(rare, n), high = target_weight(common, m);
          if (high - low <= step || !reachable(low, n) || !reachable(high, m)) continue;
          ++compared;
          EXPECT_LT(adjusted_weight(stored_weight_for(low, 0, n), 0, n),
                    adjusted_weight(stored_weight_for(high, 0, m), 0, m))
              << rare << " of " << n << " against " << common << " of " << m;
        }
      }
    }
  }
  EXPECT_GT(compared, 100);
  for (int n = 2; n < 7; ++n) {
    EXPECT_NEAR(target_weight(5000, n + 1) - target_weight(5000, n), kTargetPerSyllable, 1) << n;
  }
  // A very common two-character word ends between 150 and 300.
  const int common_pair = adjusted_weight(stored_weight_for(target_weight(100000, 2), 0, 2), 0, 2);
  EXPECT_GE(common_pair, 150);
  EXPECT_LE(common_pair, 300);
}

TEST(LibraryWeightsTest, AbbreviationSharesArePercentsRoundedDown) {
  const struct {
    std::vector<long double> weights;
    std::vector<int> shares;
  } cases[] = {
      {{50, 30, 20}, {50, 30, 20}},
      {{1, 1, 1}, {33, 33, 33}},
      {{999, 1}, {99, 0}},
      {{0, 0}, {0, 0}},
      {{7}, {100}},
      {{4000000000.0L, 4000000000.0L, 4000000000.0L}, {33, 33, 33}},
  };
  for (const auto& c : cases) EXPECT_EQ(percent_shares(c.weights), c.shares);
}

}  // namespace
}  // namespace tavgen
