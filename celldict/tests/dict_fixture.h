// Small dictionary folders for the tests, built from UTF-8 word lists by the real builder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "CoreSource/tests/engine_test_support.h"
#include "celldict/dictbuilder.h"
#include "platform/text.h"

namespace dict_fixture {

namespace fs = std::filesystem;

inline std::string gb(const std::string& utf8) {
  auto converted = platform::text::from_utf8(utf8, platform::text::Encoding::Gb18030);
  EXPECT_TRUE(converted.has_value()) << utf8;
  return converted.value_or("");
}

// Writes the lines, converted to GB18030, one per line.
inline void write_word_list(const fs::path& path, const std::vector<std::string>& utf8_lines) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (const std::string& line : utf8_lines) out << gb(line) << '\n';
}

struct Built {
  int result = -1;
  std::string message;
  ime_build_stats_t stats;
};

// Builds `folder` (created when missing) from the UTF-8 lines.
inline Built build(const fs::path& folder, const std::vector<std::string>& utf8_lines,
                   const char* uid = "1234") {
  fs::create_directories(folder);
  const fs::path list = folder.parent_path() / (folder.filename().string() + ".words");
  write_word_list(list, utf8_lines);
  Built built;
  char message[512] = "untouched";
  built.result = ime_build_dict_with_stats(list.c_str(), folder.c_str(), uid, message, &built.stats);
  built.message = message;
  return built;
}

inline std::string read_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Restores the process-wide build texts and the stop flag after a test changed them.
class BuildTextsGuard {
 public:
  BuildTextsGuard() {
    std::memcpy(author_, sauthor, sizeof author_);
    std::memcpy(desc_, sdesc, sizeof desc_);
    std::memcpy(version_, sversion, sizeof version_);
  }
  ~BuildTextsGuard() {
    std::memcpy(sauthor, author_, sizeof author_);
    std::memcpy(sdesc, desc_, sizeof desc_);
    std::memcpy(sversion, version_, sizeof version_);
    stopFlag = 0;
  }

 private:
  char author_[IME_DICT_TEXT_SIZE];
  char desc_[IME_DICT_TEXT_SIZE];
  char version_[IME_DICT_TEXT_SIZE];
};

}  // namespace dict_fixture
