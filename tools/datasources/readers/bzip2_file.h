// Reads a bzip2-compressed text file (the form the Unihan tables are shipped in) in-process.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace datasources {

// The decompressed contents; nullopt, with the reason in `error`, when the file cannot be read,
// is not bzip2 data, or decompresses beyond `limit` bytes.
std::optional<std::string> read_bzip2_file(const std::filesystem::path& path, std::string* error,
                                           std::size_t limit = 256u << 20);

}  // namespace datasources
