// The words of the context-word libraries (context_library_writer.h) from what the sources say
// stands in a gap (gap_evidence.h):
//
// - after a digit, before any other class but a digit (3个, 3公里。): measure words and units;
// - between two digits (1到2): the words seen between numbers;
// - after a Latin letter, before any other class but a letter (A股，): the words seen after
//   letters.
//
// Each syllable (or pair of syllables) gets the candidate seen after the most distinct numbers
// or letters, then the heaviest; a unit of friso's lexicon counts as seen after
// kUnitContexts numbers more. A measure word seen after a single number only is taken for a
// word of its own (一般, 一定) and left out. Two abbreviated syllables get the best of the
// two-syllable words with their initials.
#pragma once

#include <cstddef>

#include "context_library_writer.h"
#include "gap_evidence.h"
#include "row_positions.h"

namespace tavgen {

inline constexpr char kDigitClass = 'a';
inline constexpr char kLetterClass = 'b';
inline constexpr std::size_t kUnitContexts = 3;
inline constexpr std::size_t kMeasureWordContextsMin = 2;

struct ContextWordsReport {
  std::size_t after_numbers = 0;    // words chosen, of one and two syllables
  std::size_t between_numbers = 0;
  std::size_t after_letters = 0;
  std::size_t not_placed = 0;       // candidates a character of which has no place in its row
};

ContextLibraryWords build_context_words(const GapEvidence& evidence, const RowPositions& positions,
                                        ContextWordsReport* report);

}  // namespace tavgen
