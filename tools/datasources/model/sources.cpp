#include "tools/datasources/model/sources.h"

namespace datasources {

namespace {

// The compiled dictionary, or its text source when one is installed instead.
std::filesystem::path opencc_dictionary(const std::filesystem::path& folder, const std::string& name) {
  std::error_code ec;
  std::filesystem::path text = folder / (name + ".txt");
  return std::filesystem::exists(text, ec) ? text : folder / (name + ".ocd2");
}

}  // namespace

bool load_sources(const SourcePaths& paths, Sources* sources, std::string* error) {
  return load_unihan(paths.unihan_folder, &sources->unihan, error) &&
         load_rime_dict(paths.word_dictionary, &sources->words, error) &&
         load_opencc_dictionary(opencc_dictionary(paths.opencc_folder, "STCharacters"),
                                paths.opencc_dump_tool, &sources->characters, error) &&
         load_opencc_dictionary(opencc_dictionary(paths.opencc_folder, "STPhrases"),
                                paths.opencc_dump_tool, &sources->phrases, error) &&
         load_pinyin_database(paths.phrase_database, paths.min_phrase_frequency,
                              &sources->database_phrases, error);
}

}  // namespace datasources
