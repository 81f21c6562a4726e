#include "celldict/update/staged_import.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string_view>
#include <system_error>

#include "celldict/scel_reader.h"
#include "celldict/update/build_lock.h"
#include "celldict/update/uid_scan.h"
#include "celldict/update/update_log.h"
#include "platform/files.h"

namespace celldict::update {

namespace fs = std::filesystem;

namespace {

// Two dots: no lock file (a dot and a plain name) can bear such a name, and the engine skips
// hidden folders.
constexpr std::string_view kPrivatePrefix = "..build.";

// The reader and the builder share process-wide buffers and files.
std::mutex& build_mutex() {
  static std::mutex mutex;
  return mutex;
}

bool plain_name(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.front() != '.' &&
         name.find('/') == std::string::npos && name.find('\0') == std::string::npos &&
         ::strncasecmp(name.c_str(), kStagingPrefix.data(), kStagingPrefix.size()) != 0;
}

// A folder flocked by its builder for as long as the build lasts; removed on destruction unless
// it was moved into place.
class PrivateFolder {
 public:
  static std::optional<PrivateFolder> create(const fs::path& dictionary_folder,
                                             std::error_code& error) {
    // A folder that a remover of abandoned builds took between mkdtemp and flock is made anew.
    for (int attempt = 0; attempt < 4; ++attempt) {
      auto path = platform::files::make_temp_directory(dictionary_folder, kPrivatePrefix, error);
      if (!path) return std::nullopt;
      const int fd = ::open(path->c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (fd < 0) {
        error.assign(errno, std::generic_category());
        return std::nullopt;
      }
      if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && descriptor_names_path(fd, *path)) {
        return PrivateFolder(fd, *path);
      }
      ::close(fd);
    }
    error = std::make_error_code(std::errc::resource_unavailable_try_again);
    return std::nullopt;
  }

  PrivateFolder(PrivateFolder&& other) noexcept
      : fd_(other.fd_), path_(std::move(other.path_)), placed_(other.placed_) {
    other.fd_ = -1;
    other.placed_ = true;
  }
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;
  PrivateFolder& operator=(PrivateFolder&&) = delete;
  ~PrivateFolder() {
    if (!placed_) {
      std::error_code ignored;
      platform::files::remove_tree(path_, ignored);
    }
    if (fd_ >= 0) ::close(fd_);
  }

  const fs::path& path() const { return path_; }
  // Renames the folder to `target`; it is then no longer removed.
  bool place_at(const fs::path& target, std::error_code& error) {
    fs::rename(path_, target, error);
    if (!error) placed_ = true;
    return !error;
  }
  // Puts the folder at `target`. Whatever was there takes the folder's private name and goes
  // with it: exchanged in one step where the file system can, else moved aside first (and
  // moved back when the folder cannot follow).
  bool exchange_with(const fs::path& target, std::error_code& error) {
    if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
      error.clear();
      return true;
    }
    if (errno == ENOENT) return place_at(target, error);
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
      error.assign(errno, std::generic_category());
      return false;
    }
    // Not a private build name: a cleaner of abandoned builds must never take the old
    // dictionary while it stands aside.
    const fs::path aside =
        path_.parent_path() / ("..old." + path_.filename().string().substr(kPrivatePrefix.size()));
    fs::rename(target, aside, error);
    if (error) return false;
    if (!place_at(target, error)) {
      std::error_code ignored;
      fs::rename(aside, target, ignored);
      return false;
    }
    std::error_code ignored;
    platform::files::remove_tree(aside, ignored);
    return true;
  }

 private:
  PrivateFolder(int fd, fs::path path) : fd_(fd), path_(std::move(path)) {}
  int fd_ = -1;
  fs::path path_;
  bool placed_ = false;
};

// Removes the lock file of a build that ends, unless a failed build is to keep it.
void release_lock(std::optional<BuildLock>& lock, bool remove) {
  std::error_code error;
  if (lock && remove && !lock->remove_file(error)) {
    updlog("Remove the locker file %s failed: %s", lock->path().c_str(), error.message().c_str());
  }
  lock.reset();
}

// The build of `reader` under the dictionary's lock into a private folder, moved to its
// destination once complete. Runs under build_mutex().
void import_loaded(ScelReader& reader, const fs::path& dictionary_folder, const std::string& name,
                   const ImportOptions& options, ImportResult* result) {
  using Status = ImportResult::Status;
  result->samples = reader.samples();
  const bool staged = options.destination == ImportOptions::Destination::Staging;
  const fs::path destination = dictionary_folder / (staged ? std::string(kStagingPrefix) + name : name);
  const fs::path lock_path = dictionary_folder / ("." + name);
  BuildLock::Outcome outcome;
  std::error_code error;
  std::optional<BuildLock> lock = BuildLock::acquire(lock_path, &outcome, error);
  if (outcome == BuildLock::Outcome::Busy) {
    updlog("'%s' is being rebuilt by another builder; its update waits for the next check.",
           name.c_str());
    result->status = Status::Busy;
    return;
  }
  if (!lock) updlog("Warning: create locker file %s failed! (%s)", lock_path.c_str(), error.message().c_str());
  const bool remove_lock_on_failure = !options.keep_lock_after_failure;

  std::optional<PrivateFolder> folder = PrivateFolder::create(dictionary_folder, error);
  if (!folder) {
    updlog("Create a build folder in '%s' failed: %s", dictionary_folder.c_str(),
           error.message().c_str());
    result->status = Status::StagingFailed;
    release_lock(lock, remove_lock_on_failure);
    return;
  }
  ScelExportStats stats;
  const int exported = reader.exportToFolder(folder->path().string(), &stats, options.reporter);
  if (exported == 0 && stats.stopped) {
    updlog("User stopped.");
    result->status = Status::Stopped;
    release_lock(lock, true);
    return;
  }
  if (exported != 0) {
    updlog("Export '%s' to '%s' failed! ret=%d", reader.file().c_str(), destination.c_str(), exported);
    result->status = Status::ExportFailed;
    release_lock(lock, remove_lock_on_failure);
    return;
  }
  // Complete: a staging folder not swapped in yet is replaced; an installed folder is
  // exchanged with the new one in one step, so the dictionary is never missing.
  const bool placed = staged ? platform::files::remove_tree(destination, error) &&
                                   folder->place_at(destination, error)
                             : folder->exchange_with(destination, error);
  if (!placed) {
    updlog("Stage '%s' as '%s' failed: %s", folder->path().c_str(), destination.c_str(),
           error.message().c_str());
    result->status = Status::StagingFailed;
    release_lock(lock, remove_lock_on_failure);
    return;
  }
  // An update staged for what was installed under this name is not for the new dictionary.
  if (!staged && !platform::files::remove_tree(dictionary_folder / (std::string(kStagingPrefix) + name), error)) {
    updlog("Remove the outdated staging folder of '%s' failed: %s", name.c_str(), error.message().c_str());
  }
  release_lock(lock, true);
  updlog("Import done...");
  result->status = Status::Imported;
}

}  // namespace

ImportResult importDaruzCellFile(const fs::path& dictionary_folder, const fs::path& scel_path,
                                 const std::string& name, ProgressReporter* reporter) {
  ImportOptions options;
  options.reporter = reporter;
  options.keep_lock_after_failure = true;
  return importDaruzCellFile(dictionary_folder, scel_path, name, options);
}

ImportResult importDaruzCellFile(const fs::path& dictionary_folder, const fs::path& scel_path,
                                 const std::string& name, const ImportOptions& options) {
  ImportResult result;
  if (!plain_name(name)) {
    updlog("Refuse to import '%s': '%s' is not a dictionary's name.", scel_path.c_str(),
           loggable(name).c_str());
    return result;
  }
  std::lock_guard build(build_mutex());
  ScelReader reader;
  result.load_status = reader.load(scel_path.string());
  if (result.load_status != SCEL_OK) {
    updlog("Load scel database from '%s' failed![%d]", scel_path.c_str(), result.load_status);
    result.status = ImportResult::Status::LoadFailed;
    return result;
  }
  import_loaded(reader, dictionary_folder, name, options, &result);
  return result;
}

ImportResult importLoadedCellDict(ScelReader& reader, const fs::path& dictionary_folder,
                                  const std::string& name, const ImportOptions& options) {
  ImportResult result;
  if (!plain_name(name)) {
    updlog("Refuse to import '%s': '%s' is not a dictionary's name.", reader.file().c_str(),
           loggable(name).c_str());
    return result;
  }
  std::lock_guard build(build_mutex());
  import_loaded(reader, dictionary_folder, name, options, &result);
  return result;
}

int remove_abandoned_builds(const fs::path& dictionary_folder) {
  std::error_code error;
  const auto entries = platform::files::list_directory(dictionary_folder, error, /*include_hidden=*/true);
  int removed = 0;
  for (const fs::directory_entry& entry : entries) {
    const std::string name = entry.path().filename().string();
    if (name.compare(0, kPrivatePrefix.size(), kPrivatePrefix) != 0) continue;
    const int fd = ::open(entry.path().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    // Held: a build is under way in some process.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && descriptor_names_path(fd, entry.path())) {
      if (platform::files::remove_tree(entry.path(), error)) {
        updlog("Removed '%s', left by a build that did not finish.", entry.path().c_str());
        ++removed;
      } else {
        updlog("Remove '%s' failed: %s", entry.path().c_str(), error.message().c_str());
      }
    }
    ::close(fd);
  }
  return removed;
}

}  // namespace celldict::update
