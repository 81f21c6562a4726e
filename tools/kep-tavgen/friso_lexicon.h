// The word lexicons of the friso-dict package: one entry a line, "word/..." (what follows the
// first '/' is the entry's synonyms or "null"), lines starting with '#' are comments.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tavgen {

inline constexpr const char* kFrisoLexiconFolder = "/usr/share/friso/dict/UTF-8";

// The entries' words in file order (UTF-8); blank lines and comments skipped, CR trimmed.
std::vector<std::string> parse_friso_lexicon(std::string_view text);

// false with the reason in `error` when the file cannot be read.
bool load_friso_lexicon(const std::filesystem::path& path, std::vector<std::string>* words, std::string* error);

}  // namespace tavgen
