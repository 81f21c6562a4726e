// The table of suggested splits: letter runs the greedy split reads one way although a common
// word reads them another ("xian": xi'an, "fangan": fan'gan). The user asks for the suggested
// reading with the suggestion key.
//
// The table ships as the text resource IME_SUGGESTION_RESOURCE, generated with the pinyin
// tables: "#" comment lines, then one "letters<TAB>syl'la'bles" line per entry. A line whose
// split is not whole syllables spelling exactly its letters is skipped when loaded.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

inline constexpr const char* IME_SUGGESTION_RESOURCE = "!pysuggest.txt";
inline constexpr const char* IME_SUGGESTION_FILE = "pysuggest.txt";

struct QASuggestionTable {
  std::unordered_map<std::string, std::string> splits;  // letters -> syllables joined with "'"
};

// The entry of one line, or nullopt for a comment, an empty line or a malformed line (`why`
// then says what is wrong; it stays empty for comments and empty lines).
std::optional<std::pair<std::string, std::string>> ime_parse_suggestion_line(std::string_view line,
                                                                             std::string* why);
// The entries of a whole table text; malformed lines are skipped and counted in `skipped`.
QASuggestionTable ime_parse_suggestion_table(std::string_view text, std::size_t* skipped);
// The table text for `entries` (letters, split), in the order given.
std::string ime_format_suggestion_table(const std::vector<std::pair<std::string, std::string>>& entries);

// The suggested split of `letters`, or NULL.
const std::string* ime_find_suggestion(const QASuggestionTable* table, std::string_view letters);
