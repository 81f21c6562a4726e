// The word list of Debian's python3-jieba: "word frequency tag" lines, the tag a part of speech
// ("c" conjunction, "y" modal particle, ...).
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavgen {

inline constexpr const char* kJiebaDictionary = "/usr/lib/python3/dist-packages/jieba/dict.txt";

// Idioms and set phrases (千刀万剐, 四面八方).
inline constexpr std::array<std::string_view, 2> kIdiomTags = {"i", "l"};

struct TaggedWord {
  std::string text;  // UTF-8
  std::uint64_t frequency = 0;
  std::string tag;
};

// The lines with a word, a frequency and a tag; other lines are skipped.
std::vector<TaggedWord> parse_jieba_dictionary(std::string_view text);

bool tagged_with(const TaggedWord& word, std::span<const std::string_view> tags);

// The texts of the words tagged with one of `tags`.
std::set<std::string> texts_tagged(const std::vector<TaggedWord>& words, std::span<const std::string_view> tags);

// false with the reason in `error` when the file cannot be read.
bool load_jieba_dictionary(const std::filesystem::path& path, std::vector<TaggedWord>* words, std::string* error);

}  // namespace tavgen
