// The Unihan fields the tables are made from: readings with tones, traditional forms, GB2312
// membership, Cangjie codes and the frequency class.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/datasources/readers/toned_pinyin.h"

namespace datasources {

struct UnihanChar {
  std::vector<Reading> mandarin;                  // kMandarin: the customary reading first
  std::vector<std::pair<Reading, int>> pinlu;     // kHanyuPinlu: readings with their counts
  std::vector<Reading> modern;                    // kXHC1983 and kTGHZ2013
  std::vector<Reading> historical;                // kHanyuPinyin
  std::vector<char32_t> traditional;              // kTraditionalVariant
  bool gb2312 = false;                            // kGB0
  std::string cangjie;                            // kCangjie, lower case
  int frequency = 0;                              // kFrequency 1 (most used) to 5; 0 none

  bool has_readings() const {
    return !mandarin.empty() || !pinlu.empty() || !modern.empty() || !historical.empty();
  }
};

using UnihanTable = std::map<char32_t, UnihanChar>;

// Adds the fields of Unihan text lines ("U+4E2D<tab>kMandarin<tab>zhōng") to `table`; lines of
// other fields and comments are skipped, readings without a spelling in the tables dropped.
void parse_unihan_lines(std::string_view text, UnihanTable* table);

// Reads the Unihan files of `folder` (Unihan_Readings, _Variants, _OtherMappings and
// _DictionaryLikeData, each plain or bzip2-compressed). false with the reason in `error`.
bool load_unihan(const std::filesystem::path& folder, UnihanTable* table, std::string* error);

}  // namespace datasources
