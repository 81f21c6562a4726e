// Shared by the updater's tests: a private session (HOME, runtime and picture folders, the
// staged root for the engine tables), the program's user defaults, window states and waits.
#pragma once

#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <thread>

#include "celldict/update/tests/update_test_support.h"
#include "celldict/updater/updater_settings.h"
#include "platform/plist.h"

namespace updater_test {

using namespace update_test;
using namespace std::chrono_literals;
using engine_test::ScopedEnv;

// A folder only this user may enter, as the runtime and picture folders must be.
inline fs::path private_folder(const fs::path& path) {
  fs::create_directories(path);
  ::chmod(path.c_str(), 0700);
  return path;
}

// HOME, KEP_RUNTIME_DIR and KEP_RENDER_DIR in one scratch folder; KEP_ROOT at the staged root.
class Session {
 public:
  Session()
      : runtime_env_("KEP_RUNTIME_DIR", private_folder(scratch_ / "run").string()),
        render_env_("KEP_RENDER_DIR", private_folder(scratch_ / "render").string()),
        root_env_("KEP_ROOT", std::string(KEP_STAGE_ROOT)) {
    engine_test::reset_engine_caches();
  }
  ~Session() { engine_test::reset_engine_caches(); }

  fs::path home() const { return home_.home(); }
  fs::path data_folder() const { return home_.data_folder(); }
  fs::path dictionaries() const { return data_folder() / "Dictionary"; }
  fs::path scratch() const { return scratch_.path(); }

  // The updater's user defaults file, replaced by `values`.
  void write_defaults(const platform::plist::Dictionary& values) const {
    std::error_code error;
    fs::create_directories(defaults_file().parent_path());
    ASSERT_TRUE(platform::plist::save_atomic(defaults_file(), values, error)) << error.message();
  }
  platform::plist::Dictionary read_defaults() const {
    std::error_code error;
    auto value = platform::plist::read_file(defaults_file(), error);
    return value && value->is_dictionary() ? *value->as_dictionary() : platform::plist::Dictionary();
  }
  fs::path defaults_file() const {
    return home() / "Library/Preferences" / (std::string(kepcelldictupdater::kBundleIdentifier) + ".plist");
  }

  // The state a window of the updater last wrote; empty when it wrote none.
  platform::plist::Dictionary window_state(const std::string& window) const {
    std::error_code error;
    auto value = platform::plist::read_file(
        scratch_ / "render/windows" / kepcelldictupdater::kProgramName / (window + ".state"), error);
    return value && value->is_dictionary() ? *value->as_dictionary() : platform::plist::Dictionary();
  }

 private:
  TempDir scratch_;
  ScratchHome home_;
  ScopedEnv runtime_env_;
  ScopedEnv render_env_;
  ScopedEnv root_env_;
};

// Polls `condition` until it holds or `bound` passes; true when it came to hold.
inline bool eventually(const std::function<bool()>& condition, std::chrono::seconds bound = 30s) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

inline std::optional<std::int64_t> integer_of(const platform::plist::Dictionary& dictionary,
                                              std::string_view key) {
  const platform::plist::Value* value = dictionary.find(key);
  return value != nullptr ? value->integer_value() : std::nullopt;
}

}  // namespace updater_test
