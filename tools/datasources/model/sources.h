// Everything the shipped tables are made from, read once.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/datasources/readers/opencc_table.h"
#include "tools/datasources/readers/pinyin_database.h"
#include "tools/datasources/readers/rime_dict.h"
#include "tools/datasources/readers/unihan.h"

namespace datasources {

struct SourcePaths {
  std::filesystem::path unihan_folder = "/usr/share/unicode";
  std::filesystem::path word_dictionary = "/usr/share/rime-data/pinyin_simp.dict.yaml";
  std::filesystem::path opencc_folder = "/usr/share/opencc";
  std::filesystem::path opencc_dump_tool = "/usr/bin/opencc_dict";
  std::filesystem::path phrase_database = "/usr/share/pinyin-database/main.db";
  std::uint32_t min_phrase_frequency = 0;  // phrases below it are not read
};

struct Sources {
  UnihanTable unihan;
  std::vector<RimeEntry> words;  // characters and words with pinyin and weights
  VariantTable characters;       // simplified -> traditional characters
  VariantTable phrases;          // simplified -> traditional phrases
  std::vector<DatabasePhrase> database_phrases;  // phrases with readings and frequencies
};

bool load_sources(const SourcePaths& paths, Sources* sources, std::string* error);

}  // namespace datasources
