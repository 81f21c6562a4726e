// The weight bytes of the main word library, chosen so that the weight the service computes from
// them tracks how common each word is on one scale for every length, with a bonus per syllable.
//
// The service adjusts a stored weight w by the word's flags and length (x1.56 with 0x40; x1.42,
// and x1.56 more unless boosted, for a word without one-syllable pieces; x1.2 for a two-syllable
// word stored above 97; then x F/100 with F = 65, 275, 375, 770, 950, 1080 for 2..7 syllables).
// We fix the weight it should end at first, on one scale for all lengths:
//
//   target = 24 x ln(vocabulary weight) + 120 x (syllables - 2) - 70, at least 1
//
// (the vocabulary weight is the word source's, with the phrase database's frequencies mapped
// onto it). The segmentation sums the weights of the words over their syllables and weighs a
// syllable left to a single character heavily, so a longer word carries a bonus per syllable:
// a three-character word stands for a decision the two-character words around it would have to
// get right twice. The three constants were chosen on the sentence development set
// (bench/sentence_accuracy). The most common two-character words end near 200 (the byte's reach
// for two syllables), the median one near 90, about the single characters' certainties. The
// stored byte is then the w in 1..121 whose adjusted weight, computed with the service's own
// integer steps, lies nearest the target (the smaller on a tie): one that is out of reach is
// clamped to the nearest end.
//
// Flags: 0x40 marks the words of vocabulary weight 500 or more (target above 99) as the ones
// offered for abbreviated pinyin; the split marks are those of the word's best division into
// shorter vocabulary words (library_words_builder.h). The abbreviation weight is the word's share
// in percent, rounded down, of the abbreviation interest of all words of its length with the same
// initials (its weight times the square of how far it outweighs its characters on their own, so
// initials stand for words used as a unit, 中国 for zg, before pairs of characters mostly typed one
// by one, 这个): the shares of one index entry add up to at most 100, so the abbreviation search, which stops once
// the remaining share cannot beat the word it holds or that word holds more than 49, finds the
// common words first.
#pragma once

#include <cstdint>
#include <vector>

namespace tavgen {

inline constexpr std::uint64_t kPreferredWordWeight = 500;
inline constexpr double kTargetPerLogWeight = 24.0;
inline constexpr double kTargetPerSyllable = 120.0;
inline constexpr double kTargetOffset = 70.0;

// The weight the service should end at for a word of this vocabulary weight and `n` syllables.
int target_weight(std::uint64_t vocabulary_weight, int n);

// The service's adjustment of a stored weight (before the digit-word correction).
int adjusted_weight(int stored, unsigned char flags, int n);
// One-syllable pieces of a word of `n` syllables with these split marks.
int single_syllable_pieces(unsigned char flags, int n);

// The stored weight, 1..121, whose adjusted weight lies nearest `target`.
int stored_weight_for(int target, unsigned char flags, int n);

// The split mark after syllable k (1..6).
constexpr unsigned char split_mark_after(int k) { return static_cast<unsigned char>(0x20 >> (k - 1)); }

// Shares in percent, rounded down, of each weight in their sum; all 0 for a sum of 0.
std::vector<int> percent_shares(const std::vector<long double>& weights);

}  // namespace tavgen
