// The words of the head-and-end libraries (mpp/j102..j106): words of 2..6 characters that begin a
// sentence (marked 'h': conjunctions and interjections, 但是, 如果, 哎呀) or end one (marked 'e':
// modal particles and auxiliaries, 而已, 罢了, 的话), from the part-of-speech tags of jieba's
// word list (kHeadTags, kEndTags), those of frequency kHeadEndFrequencyMin or more.
//
// Such a word is stored as the main library stores it (its reading, positions, flags), with a
// weight raised until the service's adjusted weight is at least that of every main-library word
// of its syllables: at the start or the end of a sentence it wins over its homophones, and weighs
// no more than they would. A word the main library lacks is left out; among words of one key and
// marker the most frequent is kept.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "dan_rows.h"
#include "jieba_dictionary.h"
#include "library_words_builder.h"

namespace tavgen {

inline constexpr int kHeadEndWordMax = 6;
inline constexpr std::uint64_t kHeadEndFrequencyMin = 100;
inline constexpr std::array<std::string_view, 2> kHeadTags = {"c", "e"};  // conjunctions, interjections
inline constexpr std::array<std::string_view, 2> kEndTags = {"y", "u"};   // modal particles, auxiliaries

struct HeadEndReport {
  std::size_t heads = 0;
  std::size_t ends = 0;
  std::size_t not_in_main = 0;   // tagged words the main library does not hold
  std::size_t below_rivals = 0;  // words whose weight cannot reach a homophone's
};

// By syllable count, 2..6.
std::array<std::vector<LibraryWord>, kHeadEndWordMax + 1> build_head_end_words(
    const std::vector<TaggedWord>& tagged, const LibraryWords& library, const DanRows& rows, HeadEndReport* report);

}  // namespace tavgen
