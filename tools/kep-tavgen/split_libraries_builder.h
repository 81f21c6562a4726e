// cz/qy{3..6}: runs of characters the cz libraries do not hold as words, with where to cut them
// into words they do hold. The layout is in sentenceparser/core/reading_library_layout.h.
//
// The runs are the vocabulary's words of 3..6 characters that are no kept cz word. A run is cut
// into pieces that are kept cz words of 2..4 characters or single characters: fewest single
// characters first (they are taken only when no cut into words exists), then fewest pieces,
// then the longest pieces from the left. A run needs at least one word among its pieces.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <unordered_set>
#include <vector>

#include "cz_libraries.h"
#include "hanzi_keyed_writer.h"
#include "tools/datasources/readers/rime_dict.h"

namespace tavgen {

// The words of 2..4 characters the cz libraries kept, as GBK bytes, read back from their files.
std::unordered_set<std::string> kept_cz_words(const CzLibraries& cz);

// The split code of a run: the 0-based positions it is cut before as decimal digits, the
// largest in the units; 0 when the run cannot be cut by the rule above or is not 3..6 characters.
int split_code(const std::vector<GbkChar>& run, const std::unordered_set<std::string>& words);

struct SplitLibraries {
  std::array<HanziKeyedFiles, 7> runs;  // [3..6]
  std::size_t uncut = 0;                // runs no cut was found for
  std::size_t beyond_first_level = 0;   // runs whose first character has no group
};

// false with the reason in `error` (a writer refusing a record).
bool build_split_libraries(const std::vector<datasources::RimeEntry>& vocabulary, Gb2312Cache& gb2312,
                           const std::unordered_set<std::string>& cz_words, SplitLibraries* libraries,
                           std::string* error);

// cz/qy{3..6}.inx and .lib under `tav`.
bool write_split_libraries(const std::filesystem::path& tav, const SplitLibraries& libraries, std::string* error);

}  // namespace tavgen
