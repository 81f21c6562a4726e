// The lock file of a dictionary being rebuilt: "<Dictionary>/.<name>", holding "X". While the
// file exists the server leaves the dictionary's staging folder alone; while a builder holds
// its flock no other builder (the updater, the dictionary pane, in this process or another)
// builds the same dictionary.
//
// A lock file that nobody holds was left by a build that failed or was killed; nothing it
// guarded was staged, so the next build takes it over instead of waiting for it forever.
#pragma once

#include <filesystem>
#include <optional>
#include <system_error>

namespace celldict::update {

class BuildLock {
 public:
  enum class Outcome { Acquired, Busy, Failed };

  // Opens (creating when missing) and flocks the lock file without waiting, and writes "X"
  // into it. Busy when another builder holds it; Failed (with `error`) when it cannot be
  // created or locked, or is not a regular file.
  static std::optional<BuildLock> acquire(const std::filesystem::path& path, Outcome* outcome,
                                          std::error_code& error);

  BuildLock(BuildLock&& other) noexcept;
  BuildLock& operator=(BuildLock&&) = delete;
  BuildLock(const BuildLock&) = delete;
  BuildLock& operator=(const BuildLock&) = delete;
  // Releases the lock; the file stays unless remove_file() took it away.
  ~BuildLock();

  // Removes the lock file while still holding it (the build is complete).
  bool remove_file(std::error_code& error);
  const std::filesystem::path& path() const { return path_; }

 private:
  BuildLock(int fd, std::filesystem::path path) : fd_(fd), path_(std::move(path)) {}
  int fd_ = -1;
  std::filesystem::path path_;
};

// Whether the descriptor and the path name the same file now: a lock taken on a file that
// another builder removed (or replaced) meanwhile guards nothing.
bool descriptor_names_path(int fd, const std::filesystem::path& path);

}  // namespace celldict::update
