#include "celldict/update/build_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files.h"

namespace celldict::update {

namespace {
// A lock file removed between our open and our flock is opened again; a handful of rounds is
// plenty unless something removes it in a loop.
constexpr int kAttempts = 8;
}  // namespace

bool descriptor_names_path(int fd, const std::filesystem::path& path) {
  struct stat opened {};
  struct stat named {};
  return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 &&
         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

std::optional<BuildLock> BuildLock::acquire(const std::filesystem::path& path, Outcome* outcome,
                                            std::error_code& error) {
  *outcome = Outcome::Failed;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0) {
      error.assign(errno, std::generic_category());
      return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      error = std::make_error_code(std::errc::invalid_argument);
      ::close(fd);
      return std::nullopt;
    }
    int locked;
    do {
      locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
      const int why = errno;
      ::close(fd);
      if (why == EWOULDBLOCK) {
        *outcome = Outcome::Busy;
        error.clear();
      } else {
        error.assign(why, std::generic_category());
      }
      return std::nullopt;
    }
    if (!descriptor_names_path(fd, path)) {
      ::close(fd);
      continue;
    }
    if (::ftruncate(fd, 0) != 0 || !platform::files::write_all(fd, "X")) {
      error.assign(errno != 0 ? errno : EIO, std::generic_category());
      ::close(fd);
      return std::nullopt;
    }
    *outcome = Outcome::Acquired;
    error.clear();
    return BuildLock(fd, path);
  }
  error = std::make_error_code(std::errc::resource_unavailable_try_again);
  return std::nullopt;
}

BuildLock::BuildLock(BuildLock&& other) noexcept : fd_(other.fd_), path_(std::move(other.path_)) {
  other.fd_ = -1;
}

BuildLock::~BuildLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool BuildLock::remove_file(std::error_code& error) {
  if (::unlink(path_.c_str()) != 0 && errno != ENOENT) {
    error.assign(errno, std::generic_category());
    return false;
  }
  error.clear();
  return true;
}

}  // namespace celldict::update
