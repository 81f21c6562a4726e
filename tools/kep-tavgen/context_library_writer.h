// Writes the context-word libraries of the sentence service: the words of one or two syllables
// that stand in a gap between two fixed items of a sentence (a digit, a letter, a mark), keyed
// by the classes of those two items (sentenceparser/core/context_classes.h):
//
//   mpp/bd1   bucket (initial, left class, right class); record: final code, position
//   mpp/bd2   bucket (initial 1, initial 2, left class); record: right class, final codes 1
//             and 2, positions 1 and 2
//   mpp/bdj2  bucket (initial 1, initial 2, left class, right class) for two abbreviated
//             syllables; record: the word's two GBK characters, the first one of the bucket read
//
// Positions are those of the characters in their syllables' pydan.tab rows, stored escaped like
// every position byte (library_layout.h).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "gb2312.h"

namespace tavgen {

// A word of one or two syllables between a left and a right class letter.
struct GapWord {
  char left = 0;
  char right = 0;
  std::vector<std::string> syllables;  // "ge"; "gong", "li"
  std::vector<int> positions;          // in the syllables' rows
};

// A word typed as two initials between a left and a right class letter.
struct AbbreviatedGapWord {
  char left = 0;
  char right = 0;
  std::string initials;             // two lower-case letters
  std::vector<GbkChar> characters;  // two
};

struct ContextLibraryWords {
  std::vector<GapWord> one;  // mpp/bd1
  std::vector<GapWord> two;  // mpp/bd2
  std::vector<AbbreviatedGapWord> abbreviated;  // mpp/bdj2
};

// The three libraries under `tav`. A key (the classes and the syllables, or the classes and the
// initials) holds one word at most; a second one, a word that cannot be keyed or stored, or a
// class that is no lower-case letter is refused with the reason in `error`.
bool write_context_libraries(const std::filesystem::path& tav, const ContextLibraryWords& words,
                             std::string* error);

}  // namespace tavgen
