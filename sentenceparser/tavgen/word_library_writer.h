// Writes the sentence service's word libraries in the layouts its readers expect
// (sentenceparser/core/library_layout.h): used by kep-tavgen and by the tests' fixtures.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tavgen {

// One word: its syllables ("zhong", "guo"; one-vowel syllables plain, "a"), the position of each
// character in its syllable's pydan.tab row, and the bytes' values before escaping.
struct LibraryWord {
  std::vector<std::string> syllables;
  std::vector<int> positions;
  int weight = 0;               // full-pinyin weight, 0..121 or an escaped value
  int abbreviation_weight = 0;  // abbreviation weight
  unsigned char flags = 0;      // 0x40 preferred / offered for abbreviation; split marks
  char marker = 0;              // head-and-end library: 'h' or 'e'
};

// main/mgrm<N-2>.inx/.dat for the words of `n` syllables (and main/mgrm0j.inx for n = 2) under
// `tav`; words whose syllables have no final code or whose bytes cannot be stored are refused
// with the reason in `error`. Files are written atomically. False on failure.
bool write_main_library(const std::filesystem::path& tav, int n, std::vector<LibraryWord> words,
                        std::string* error);
// mpp/w<N>.inx/.dat (weights and flags are not stored).
bool write_whole_library(const std::filesystem::path& tav, int n, std::vector<LibraryWord> words,
                         std::string* error);
// mpp/j10<N>.inx/.dat; a key's "h" record comes before its "e" record.
bool write_head_end_library(const std::filesystem::path& tav, int n,
                            std::vector<LibraryWord> words, std::string* error);
// mpp/bd1, mpp/bd2 and mpp/bdj2 as valid libraries without words.
bool write_empty_context_libraries(const std::filesystem::path& tav, std::string* error);

}  // namespace tavgen
