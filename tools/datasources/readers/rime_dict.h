// The word source: a Rime dictionary in YAML form ("text<tab>pin yin<tab>weight" lines after
// the "..." that ends the header), characters and words with their pinyin and weights.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace datasources {

struct RimeEntry {
  std::string text;                    // UTF-8
  std::vector<std::string> syllables;  // toneless, in the tables' spelling ("lve", not "lue")
  std::uint32_t weight = 0;
};

// The entries of a dictionary's text; lines without text or pinyin are skipped.
std::vector<RimeEntry> parse_rime_dict(std::string_view text);
bool load_rime_dict(const std::filesystem::path& path, std::vector<RimeEntry>* entries,
                    std::string* error);

}  // namespace datasources
