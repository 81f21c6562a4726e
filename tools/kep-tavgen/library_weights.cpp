#include "library_weights.h"

#include <cmath>
#include <cstdlib>

#include "sentenceparser/core/library_layout.h"

namespace tavgen {

namespace {

constexpr unsigned char kBoosted = 0x40;

int length_factor(int n) {
  constexpr int kFactors[] = {65, 275, 375, 770, 950, 1080};
  return n >= 2 && n <= 7 ? kFactors[n - 2] : 100;
}

}  // namespace

int target_weight(std::uint64_t vocabulary_weight, int n) {
  const double log_weight = vocabulary_weight > 1 ? std::log(static_cast<double>(vocabulary_weight)) : 0.0;
  const long target = std::lround(kTargetPerLogWeight * log_weight + kTargetPerSyllable * (n - 2) - kTargetOffset);
  return target < 1 ? 1 : static_cast<int>(target);
}

int single_syllable_pieces(unsigned char flags, int n) {
  const auto marked = [&](int k) { return k >= 1 && k <= 6 && (flags & split_mark_after(k)) != 0; };
  int singles = 0;
  if (marked(1)) ++singles;
  if (n >= 2 && marked(n - 1)) ++singles;
  for (int k = 2; k <= n - 1; ++k) {
    if (marked(k - 1) && marked(k)) ++singles;
  }
  return singles;
}

int adjusted_weight(int stored, unsigned char flags, int n) {
  // The service's unsigned steps, each truncating.
  std::uint32_t weight = static_cast<std::uint32_t>(stored);
  const bool boosted = (flags & kBoosted) != 0;
  if (boosted) weight = weight * 156 / 100;
  if (single_syllable_pieces(flags, n) == 0) {
    weight = weight * 142 / 100;
    if (!boosted) weight = weight * 156 / 100;
    if (stored > 97 && n == 2) weight = weight * 120 / 100;
  }
  weight = weight * static_cast<std::uint32_t>(length_factor(n)) / 100;
  return static_cast<int>(weight);
}

int stored_weight_for(int target, unsigned char flags, int n) {
  int best = 1;
  int best_distance = std::abs(adjusted_weight(1, flags, n) - target);
  for (int stored = 2; stored <= sentence::kStoredValueMax; ++stored) {
    const int distance = std::abs(adjusted_weight(stored, flags, n) - target);
    if (distance < best_distance) {
      best = stored;
      best_distance = distance;
    }
  }
  return best;
}

std::vector<int> percent_shares(const std::vector<long double>& weights) {
  long double sum = 0;
  for (long double weight : weights) sum += weight;
  std::vector<int> shares;
  shares.reserve(weights.size());
  for (long double weight : weights) {
    shares.push_back(sum > 0 ? static_cast<int>(std::floor(weight * 100.0L / sum)) : 0);
  }
  return shares;
}

}  // namespace tavgen
