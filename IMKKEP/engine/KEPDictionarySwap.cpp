// Swaps rebuilt dictionaries in. The builder writes a dictionary "<name>" into the folder
// "__new__<name>" beside it and keeps the lock file ".<name>" while it works; once the lock is
// gone the staged folder takes the dictionary's place. The old folder is only removed once the
// new one is in, so a failure at any step leaves a dictionary the engine can open.
#include <strings.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "CoreSource/base/datafolder.h"
#include "IMKKEP/engine/KEPConvertEngine.h"
#include "IMKKEP/engine/KEPDictionarySwap.h"
#include "IMKKEP/base/server_log.h"
#include "platform/files.h"

namespace imkkep {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kStagingPrefix = "__new__";
// The old folder waits under this prefix until the new one is in. Hidden, so the engine does
// not open it; two dots, so that no lock file (a dot and a plain name) can bear its name.
constexpr std::string_view kReplacedPrefix = "..replaced.";

SwapObserver observer = nullptr;

void reach(SwapMoment moment, const fs::path& folder, const std::string& name) {
  if (observer != nullptr) observer(moment, folder, name);
}

bool is_staging_name(const std::string& name) {
  return name.size() > kStagingPrefix.size() &&
         ::strncasecmp(name.c_str(), kStagingPrefix.data(), kStagingPrefix.size()) == 0;
}

// Only a visible folder of the Dictionary folder itself may be replaced: not "." or "..", nor
// a hidden name, where lock files and replaced folders live.
bool is_plain_name(const std::string& name) {
  return !name.empty() && name.find('/') == std::string::npos && name[0] != '.';
}

bool entry_exists(const fs::path& path, std::error_code& error) {
  bool present = fs::exists(fs::symlink_status(path, error));
  if (error == std::errc::no_such_file_or_directory) error.clear();
  return present;
}

// A lock that cannot be examined counts as held: the folder then waits for the next reload.
bool being_built(const fs::path& folder, const std::string& name) {
  std::error_code error;
  return entry_exists(folder / ("." + name), error) || error;
}

void log_failure(const char* step, const fs::path& from, const fs::path& to,
                 const std::error_code& error) {
  KEPLogAlways("%s %s ==> %s failed: %s", step, from.c_str(), to.c_str(), error.message().c_str());
}

// Puts the staged folder in the dictionary's place; true once it is there for good.
bool swap_in(const fs::path& folder, const std::string& staged_name, const std::string& name) {
  const fs::path staged = folder / staged_name;
  const fs::path target = folder / name;
  const fs::path replaced = folder / (std::string(kReplacedPrefix) + name);
  std::error_code error;
  // The old folder of a swap that was cut short.
  fs::remove_all(replaced, error);
  if (error) {
    KEPLogAlways("Remove %s failed: %s", replaced.c_str(), error.message().c_str());
    return false;
  }
  const bool had_old = entry_exists(target, error);
  if (error) {
    KEPLogAlways("Examine %s failed: %s", target.c_str(), error.message().c_str());
    return false;
  }
  if (had_old) {
    fs::rename(target, replaced, error);
    if (error) {
      log_failure("Move aside", target, replaced, error);
      return false;
    }
  }
  reach(SwapMoment::OldFolderAside, folder, name);

  auto put_old_back = [&] {
    std::error_code undo;
    if (had_old) fs::rename(replaced, target, undo);
    if (undo) log_failure("Put back", replaced, target, undo);
  };
  fs::rename(staged, target, error);
  if (error) {
    log_failure("Move", staged, target, error);
    put_old_back();
    return false;
  }
  reach(SwapMoment::StagedFolderIn, folder, name);

  // A build that started meanwhile writes a new staging folder; the one just moved is not
  // known to be what it will finish, so everything goes back to where it was.
  if (being_built(folder, name)) {
    KEPLogAlways("A build of %s started during the swap; it stays staged.", name.c_str());
    fs::rename(target, staged, error);
    if (error) {
      log_failure("Move back", target, staged, error);
      return false;
    }
    put_old_back();
    return false;
  }
  KEPLog("Move %s ==> %s", staged.c_str(), target.c_str());
  if (had_old) {
    // Left behind, it is hidden from the engine and removed at the next swap.
    fs::remove_all(replaced, error);
    if (error) KEPLogAlways("Remove %s failed: %s", replaced.c_str(), error.message().c_str());
  }
  return true;
}

}  // namespace

void set_dictionary_swap_observer(SwapObserver new_observer) { observer = new_observer; }

int IMEUpdateDaruzDict() {
  const fs::path folder = fs::path(QAGetAppSupportPathString()) / "Dictionary";
  std::error_code error;
  const auto entries = platform::files::list_directory(folder, error);
  // A user who never added a dictionary has no folder: nothing to swap.
  if (error == std::errc::no_such_file_or_directory) return 0;
  if (error) {
    KEPLogAlways("Read %s failed: %s", folder.c_str(), error.message().c_str());
    return -2;
  }
  for (const fs::directory_entry& entry : entries) {
    const std::string staged_name = entry.path().filename().string();
    std::error_code ignored;
    if (!is_staging_name(staged_name) || !entry.is_directory(ignored)) continue;
    KEPLog("Checking %s", entry.path().c_str());
    const std::string name = staged_name.substr(kStagingPrefix.size());
    if (!is_plain_name(name)) {
      KEPLogAlways("Refuse %s: \"%s\" is not a dictionary's name.", entry.path().c_str(),
                   name.c_str());
      continue;
    }
    if (being_built(folder, name)) continue;
    swap_in(folder, staged_name, name);
  }
  return 0;
}

}  // namespace imkkep
