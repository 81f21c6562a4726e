#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

#include "CoreSource/base/imelog.h"

namespace fuzz {

std::vector<std::string_view> split_parts(std::string_view input, std::size_t count) {
  std::vector<std::string_view> parts;
  while (parts.size() + 1 < count) {
    std::size_t at = input.find(kPartSeparator);
    if (at == std::string_view::npos) break;
    parts.push_back(input.substr(0, at));
    input.remove_prefix(at + kPartSeparator.size());
  }
  parts.push_back(input);
  parts.resize(count);
  return parts;
}

std::string join_parts(const std::vector<std::string>& parts) {
  std::string joined;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) joined += kPartSeparator;
    joined += parts[i];
  }
  return joined;
}

bool write_file(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {

std::filesystem::path scratch_base() {
  std::error_code error;
  return std::filesystem::temp_directory_path(error);
}

}  // namespace

TempFile::TempFile(std::string_view bytes) {
  std::string pattern = (scratch_base() / "kep-fuzz-XXXXXX").string();
  int fd = ::mkstemp(pattern.data());
  if (fd < 0) std::abort();
  path_ = pattern;
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) std::abort();
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
}

TempFile::~TempFile() { ::unlink(path_.c_str()); }

TempDir::TempDir() {
  std::string pattern = (scratch_base() / "kep-fuzz-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) std::abort();
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

namespace {
void drop_log_line(const char*) {}
}  // namespace

void use_scratch_environment() {
  static TempDir scratch;  // lives for the whole run
  std::filesystem::create_directories(scratch.path() / "home/Library/KEP");
  std::filesystem::create_directories(scratch.path() / "root");
  ::setenv("HOME", (scratch.path() / "home").c_str(), 1);
  ::setenv("KEP_ROOT", (scratch.path() / "root").c_str(), 1);
  ime_log_func = &drop_log_line;
}

}  // namespace fuzz
