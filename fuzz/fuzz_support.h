// What the fuzz targets share: inputs made of several files, and scratch files and folders
// from mkstemp/mkdtemp for parsers that read a path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// Several files travel in one input, separated by this line; the seed writer joins them the
// same way, so the mutator starts from inputs whose parts are real files.
inline constexpr std::string_view kPartSeparator = "\n--kep-part--\n";

std::vector<std::string_view> split_parts(std::string_view input, std::size_t count);
std::string join_parts(const std::vector<std::string>& parts);

inline std::string_view as_view(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Writes `bytes` to `path` (replacing it); false when it cannot.
bool write_file(const std::filesystem::path& path, std::string_view bytes);
std::string read_file(const std::filesystem::path& path);

// A file from mkstemp holding the input, removed with the object.
class TempFile {
 public:
  explicit TempFile(std::string_view bytes);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A folder from mkdtemp, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Points HOME and KEP_ROOT at a private scratch folder for the whole run and keeps the
// engine's log lines out of the output, so targets never touch the user's files.
void use_scratch_environment();

}  // namespace fuzz
