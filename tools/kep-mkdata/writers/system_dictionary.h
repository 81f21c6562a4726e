// Writes the system dictionary folder with the engine's own dictionary-folder builder, from a
// GB18030 word list, building it aside and moving it into place only when it is complete.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "writers/text_tables.h"

namespace mkdata {

struct DictionaryReport {
  std::uint32_t words_listed = 0;  // lines of the word list
  std::uint32_t records = 0;       // words the builder stored
  std::uint32_t rejected = 0;      // words the builder refused
};

// The word list's text; `version` receives a version text that changes with the words
// (the engine recreates the dictionary's counters when it changes).
std::string write_word_list(const std::vector<WordListEntry>& words, std::string* version);

// Builds `folder` (replacing an older one) from the words. false with the reason in `error`.
bool write_system_dictionary(const std::vector<WordListEntry>& words,
                             const std::filesystem::path& folder, DictionaryReport* report,
                             std::string* error);

}  // namespace mkdata
