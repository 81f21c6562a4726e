// The phrase source: an SQLite phrase database whose tables py_phrase_N hold the phrases of
// N + 1 characters, each with its frequency (on the database's own scale) and one initial id and
// one final id per character, so that a polyphone is read as the phrase reads it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace datasources {

struct DatabasePhrase {
  std::string text;                    // UTF-8
  std::vector<std::string> syllables;  // in the tables' spelling; "" for ids the map lacks
  std::uint32_t frequency = 0;
};

// The syllable an initial id and a final id spell ("" for ids outside the database's tables).
// Nothing checks that the two make a syllable: "fiao" is spelled as it comes.
std::string database_syllable(int initial_id, int final_id);

// Every phrase of two or more characters whose frequency is at least `min_frequency`.
bool load_pinyin_database(const std::filesystem::path& path, std::uint32_t min_frequency,
                          std::vector<DatabasePhrase>* phrases, std::string* error);

}  // namespace datasources
