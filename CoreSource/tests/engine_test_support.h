// Helpers shared by the engine tests: scratch folders, environment overrides, captured log lines.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "base/datafolder.h"
#include "base/imelog.h"
#include "platform/bundle.h"
#include "platform/files.h"

namespace engine_test {

namespace fs = std::filesystem;

// A folder from mkdtemp, removed with its contents at the end of the test.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "kep-engine-test.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }
  fs::path operator/(const fs::path& child) const { return path_ / child; }

 private:
  fs::path path_;
};

// Sets or unsets an environment variable for the life of the object, then restores it.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = ::getenv(name)) old_ = old;
    if (value) {
      ::setenv(name, value->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_.c_str(), old_->c_str(), 1);
    } else {
      ::unsetenv(name_.c_str());
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// Forgets every cache that depends on HOME or KEP_ROOT.
inline void reset_engine_caches() {
  ime_datafolder_reset_for_testing();
  platform::files::reset_root_cache();
  platform::Bundle::reset_cache();
}

// A scratch HOME whose data folder exists; restores HOME and the caches afterwards.
class ScratchHome {
 public:
  ScratchHome() : env_("HOME", home_.path().string()) {
    reset_engine_caches();
    fs::create_directories(data_folder());
    // As the engine makes it: a data folder others may write to is refused, whatever the umask.
    fs::permissions(data_folder(), fs::perms::owner_all);
  }
  ~ScratchHome() { reset_engine_caches(); }
  fs::path home() const { return home_.path(); }
  fs::path data_folder() const { return home_.path() / "Library" / "KEP"; }

 private:
  TempDir home_;
  ScopedEnv env_;
};

inline void write_file(const fs::path& path, const std::string& contents) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
}

inline std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Collects the engine's log lines while alive.
class LogCapture {
 public:
  LogCapture() : previous_(ime_log_func) {
    lines().clear();
    ime_log_func = &LogCapture::collect;
  }
  ~LogCapture() { ime_log_func = previous_; }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;
  static std::vector<std::string>& lines() {
    static std::vector<std::string> collected;
    return collected;
  }

 private:
  static void collect(const char* line) { lines().emplace_back(line); }
  ime_log_func_t previous_;
};

}  // namespace engine_test
