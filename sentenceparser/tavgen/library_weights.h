// The weight bytes of the main word library, chosen so that the weight the service computes from
// them tracks how common each word is, whatever its length.
//
// The service adjusts a stored weight w by the word's flags and length (x1.56 with 0x40; x1.42,
// and x1.56 more unless boosted, for a word without one-syllable pieces; x1.2 for a two-syllable
// word stored above 97; then x F/100 with F = 65, 275, 375, 770, 950, 1080 for 2..7 syllables).
// We fix the weight it should end at first, on one scale for all lengths:
//
//   target = 16 x ln(vocabulary weight), at least 1
//
// (the vocabulary weight is the word source's, with the phrase database's frequencies mapped
// onto it). The most common two-character words end near 200 (中国 about 185), the median one near
// 90, above the single characters' certainties of 1..99. The stored byte is then the w in
// 1..121 whose adjusted weight, computed with the service's own integer steps, lies nearest the
// target (the smaller on a tie): one that is out of reach is clamped to the nearest end.
//
// Flags: 0x40 marks the words of vocabulary weight 500 or more (target above 99) as the ones
// offered for abbreviated pinyin; the split marks are those of the word's best division into
// shorter vocabulary words (library_words_builder.h). The abbreviation weight is the word's share
// in percent, rounded down, of the weight of all words of its length with the same initials: the
// shares of one index entry add up to at most 100, so the abbreviation search, which stops once
// the remaining share cannot beat the word it holds or that word holds more than 49, finds the
// common words first.
#pragma once

#include <cstdint>
#include <vector>

namespace tavgen {

inline constexpr std::uint64_t kPreferredWordWeight = 500;
inline constexpr double kTargetPerLogWeight = 16.0;

// The weight the service should end at for a word of this vocabulary weight.
int target_weight(std::uint64_t vocabulary_weight);

// The service's adjustment of a stored weight (before the digit-word correction).
int adjusted_weight(int stored, unsigned char flags, int n);
// One-syllable pieces of a word of `n` syllables with these split marks.
int single_syllable_pieces(unsigned char flags, int n);

// The stored weight, 1..121, whose adjusted weight lies nearest `target`.
int stored_weight_for(int target, unsigned char flags, int n);

// The split mark after syllable k (1..6).
constexpr unsigned char split_mark_after(int k) { return static_cast<unsigned char>(0x20 >> (k - 1)); }

// Shares in percent, rounded down, of each weight in their sum; all 0 for a sum of 0.
std::vector<int> percent_shares(const std::vector<std::uint64_t>& weights);

}  // namespace tavgen
