// Shared by the update tests: scratch folders, installed dictionary folders, cell-dictionary
// files and the update log's lines.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "CoreSource/tests/engine_test_support.h"
#include "celldict/scel_writer.h"
#include "celldict/update/update_log.h"

namespace update_test {

namespace fs = std::filesystem;
using engine_test::read_file;
using engine_test::ScratchHome;
using engine_test::TempDir;
using engine_test::write_file;

// The update log's lines while alive.
class LogLines {
 public:
  LogLines() {
    previous_ = celldict::update::set_log_sink([this](std::string_view line) {
      std::lock_guard lock(mutex_);
      lines_.emplace_back(line);
    });
  }
  ~LogLines() { celldict::update::set_log_sink(std::move(previous_)); }
  LogLines(const LogLines&) = delete;
  LogLines& operator=(const LogLines&) = delete;

  std::vector<std::string> lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
  }
  // How many lines contain `text`.
  int count(std::string_view text) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(lines_.begin(), lines_.end(), [&](const std::string& line) {
      return line.find(text) != std::string::npos;
    }));
  }
  bool has(std::string_view text) const { return count(text) > 0; }
  std::string all() const {
    std::string text;
    for (const std::string& line : lines()) text += line + "\n";
    return text;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
  celldict::update::LogSink previous_;
};

// An installed dictionary folder as the builder leaves it, reduced to what the update reads.
inline fs::path install(const fs::path& dictionaries, const std::string& name, const std::string& uid,
                        const std::string& version = "1262304000") {
  const fs::path folder = dictionaries / name;
  write_file(folder / "uid.info", uid);
  write_file(folder / "version.info", version);
  write_file(folder / "dict.info", "TOTAL_COUNT\t1\nUSER\told\n");
  return folder;
}

// A two-word cell dictionary.
inline scel::WriterContents cell_dict(const std::string& uid, std::int32_t version,
                                      std::vector<std::string> samples = {"中国", "你好"}) {
  scel::WriterContents contents;
  contents.uid = uid;
  contents.name = "Test words";
  contents.remark = "for the update tests";
  contents.samples = std::move(samples);
  contents.version = version;
  contents.words = {{{"zhong", "guo"}, "中国", 80}, {{"ni", "hao"}, "你好", 20}};
  return contents;
}

inline std::string cell_dict_bytes(const scel::WriterContents& contents) {
  std::string error;
  auto bytes = scel::encode_file(contents, &error);
  EXPECT_TRUE(bytes.has_value()) << error;
  return bytes.value_or("");
}

inline void write_cell_dict(const fs::path& path, const scel::WriterContents& contents) {
  write_file(path, cell_dict_bytes(contents));
}

// The names in a folder, hidden ones included, sorted.
inline std::vector<std::string> names_in(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace update_test
