// tools/dyc{2..7} and tools/dyz{2..7}: words with their readings, by which the service turns a
// run of characters back into pinyin. dyc holds every word, dyz only those holding a character
// read more than one way. The layouts are in sentenceparser/core/reading_library_layout.h.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "gb2312.h"
#include "tools/datasources/readers/rime_dict.h"

namespace tavgen {

// A syllable's two stored bytes: its first letter and the code of the rest ("a" as 'a' and the
// code of "P"); nullopt for a syllable whose rest has no code.
std::optional<std::string> syllable_code(const std::string& syllable);

struct ReadingLibrary {
  std::string index;
  std::string records;
  std::size_t kept = 0;
  std::size_t trimmed = 0;  // lightest words of a group over the 16-bit count
};

struct ReadingLibraries {
  std::array<ReadingLibrary, 8> all;         // dyc [2..7]
  std::array<ReadingLibrary, 8> polyphones;  // dyz [2..7]
  std::size_t words = 0;                     // distinct words of 2..7 GB2312 characters
  std::size_t without_code = 0;              // left out: a syllable without a code
};

// One record per distinct word, under the heaviest of its readings (equal weights: the smaller
// reading bytes). Entries that are not 2..7 GB2312 characters with one syllable each are skipped.
ReadingLibraries build_reading_libraries(const std::vector<datasources::RimeEntry>& vocabulary, Gb2312Cache& gb2312);

}  // namespace tavgen
