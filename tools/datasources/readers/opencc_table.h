// Simplified-to-traditional tables of the Chinese conversion package: its compiled
// dictionaries are dumped to text with the package's own tool, run without a shell.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace datasources {

// Simplified text -> its traditional forms, the usual one first.
using VariantTable = std::unordered_map<std::string, std::vector<std::string>>;

// Lines "发<tab>發 髮".
VariantTable parse_opencc_text(std::string_view text);

// Reads a conversion dictionary: a ".txt" source directly, a compiled ".ocd2" through
// `dump_tool` (the package's opencc_dict) into a private temporary folder.
bool load_opencc_dictionary(const std::filesystem::path& dictionary,
                            const std::filesystem::path& dump_tool, VariantTable* table,
                            std::string* error);

}  // namespace datasources
