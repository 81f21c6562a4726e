// Helpers of the code-table tests: a scratch folder, whole-file reads and writes, and tables
// built by the compiler itself.
#pragma once

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "table_build.h"

namespace codetable_test {

namespace fs = std::filesystem;

class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "kep-codetable-test.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const fs::path& path() const { return path_; }
  std::string operator/(const std::string& child) const { return (path_ / child).string(); }

 private:
  fs::path path_;
};

inline void write_file(const std::string& path, const std::string& contents) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
}

inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The names in a folder, sorted.
inline std::vector<std::string> folder_names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Compiles `source_text` into `<folder>/<name>.qdb/.idx` in the given version; the failure
// text on failure, empty on success.
inline std::string build_table(const ScratchDir& dir, const std::string& name,
                               const std::string& source_text, int version) {
  const std::string source = dir / (name + ".source.txt");
  write_file(source, source_text);
  std::string error;
  const int rc = version == 10
                     ? codetable::BuildCMPHPlug(source, name, dir.path().string(), nullptr, &error)
                     : codetable::BuildSQLPlug(source, name, dir.path().string(), nullptr, &error);
  fs::remove(source);
  return rc == 0 ? std::string() : (error.empty() ? std::string("failed without a text") : error);
}

}  // namespace codetable_test
