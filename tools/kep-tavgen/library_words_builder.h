// The words of the main and whole-input libraries, from the merged vocabulary (the word source
// and the phrase database's phrases on one weight scale) and the pydan.tab rows of the same run.
//
// A word is kept when it has 2..7 characters, one syllable per character, every character in
// GB2312 and within its syllable's row (rows end at 122 characters). Its bytes follow
// library_weights.h. A syllable spelled "lve"/"nve" is typed as "lue"/"nue" as well: such a word
// is stored under both spellings, the copy without 0x40 and with no abbreviation share, so that
// neither the abbreviation search nor its listing counts it twice.
//
// The whole-input library holds set phrases: the words that outweigh every other word of their
// syllables at least three times, so that the word is what those syllables typed alone mean; the
// 3000 heaviest of 2 characters, of 3, and of 4..7 each.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "character_weights.h"
#include "dan_rows.h"
#include "tools/datasources/readers/rime_dict.h"
#include "word_library_writer.h"

namespace tavgen {

inline constexpr int kLibraryWordMax = 7;
inline constexpr std::size_t kWholePhraseCount = 3000;
inline constexpr std::uint64_t kWholePhraseDominance = 3;

// The vocabulary's words by their characters and syllables, for the division of longer words.
class VocabularyIndex {
 public:
  void add(const std::vector<std::string>& characters, const std::vector<std::string>& syllables,
           std::uint64_t weight);
  // The word's weight, or 0 when the vocabulary does not hold it.
  std::uint64_t weight(const std::vector<std::string>& characters, const std::vector<std::string>& syllables,
                       std::size_t first, std::size_t count) const;

 private:
  std::unordered_map<std::string, std::uint64_t> weights_;
};

// Split marks of a word's best division into shorter words of the vocabulary and single
// characters: fewest single characters, then fewest pieces, then the heaviest pieces. A word
// without a division holding at least one vocabulary word gets none (0).
unsigned char best_split_marks(const std::vector<std::string>& characters, const std::vector<std::string>& syllables,
                               const VocabularyIndex& vocabulary);

struct LibraryWordsReport {
  std::size_t read = 0;             // distinct words of 2..7 characters
  std::size_t not_gb2312 = 0;       // a character outside GB2312, or not one syllable each
  std::size_t no_row = 0;           // a syllable without a row
  std::size_t beyond_row = 0;       // a character after the row's 122nd
  std::size_t not_in_row = 0;       // a character its syllable's row does not hold at all
  std::size_t spelling_copies = 0;  // "lue"/"nue" copies
  std::size_t trimmed = 0;          // lightest words of an index entry over 65535 records
  std::array<std::size_t, kLibraryWordMax + 1> main{};
  std::array<std::size_t, kLibraryWordMax + 1> whole{};
};

struct LibraryWords {
  std::array<std::vector<LibraryWord>, kLibraryWordMax + 1> main;   // by syllable count
  std::array<std::vector<LibraryWord>, kLibraryWordMax + 1> whole;  // by syllable count
};

LibraryWords build_library_words(const std::vector<datasources::RimeEntry>& vocabulary, const DanRows& rows,
                                 const CharacterWeights& weights, LibraryWordsReport* report);

}  // namespace tavgen
