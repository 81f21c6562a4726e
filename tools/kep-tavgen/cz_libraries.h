// The hanzi-keyed libraries of the cz folder:
// - cz2..cz4: words of 2..4 GB2312 characters (the vocabulary's words, on their weights, and
//   the main friso lexicon's words, which carry no weight and so are the first left out when a
//   library outgrows its 16-bit record numbers);
// - pcz2, pcz3: the 2- and 3-character proper prefixes of the kept words of 3 and 4 characters,
//   each as heavy as the heaviest word it begins (the word tests look at 4 characters at most,
//   so longer words add no prefix they could ask for);
// - rm3: two-character given names, every first character of a two-character given name with
//   every second one (friso's lists of both);
// - dm: place names of 2..7 characters, the rest of the name padded with '0' to 12 bytes.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "gb2312.h"
#include "hanzi_keyed_writer.h"

namespace tavgen {

struct CzWord {
  std::vector<GbkChar> characters;
  std::uint64_t weight = 0;
};

inline constexpr std::size_t kPlaceRecordBytes = 12;

struct CzLibraries {
  std::array<HanziKeyedFiles, 5> words;     // [2..4]
  std::array<HanziKeyedFiles, 4> prefixes;  // [2..3]
  HanziKeyedFiles given_names;
  HanziKeyedFiles places;
};

// UTF-8 texts as CzWords of GB2312 characters; texts with another character are left out.
std::vector<CzWord> cz_words_of(const std::vector<std::string>& texts, std::uint64_t weight);

// false with the reason in `error` (a writer refusing a record).
bool build_cz_libraries(const std::vector<CzWord>& words, const std::vector<GbkChar>& given_first,
                        const std::vector<GbkChar>& given_second, const std::vector<CzWord>& places,
                        CzLibraries* libraries, std::string* error);

// cz/cz{2,3,4}, cz/pcz{2,3}, cz/rm3 and cz/dm (.inx and .lib) under `tav`, atomically.
bool write_cz_libraries(const std::filesystem::path& tav, const CzLibraries& libraries, std::string* error);

}  // namespace tavgen
