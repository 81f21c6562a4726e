#include "user/udb_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "base/imelog.h"
#include "platform/files.h"

namespace {

// Waiters poll the lock this often; a holder keeps it for a few milliseconds (one read, or
// one read and one replacement), so it passes on almost at once.
constexpr std::chrono::milliseconds kLockPoll{2};

std::string system_error(const std::string& what) { return what + ": " + std::strerror(errno); }

std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool may_write(const std::string& path, int mode) {
  return ::faccessat(AT_FDCWD, path.c_str(), mode, AT_EACCESS) == 0;
}

// Hands each complete line of the bytes fed to it to the parser; a line longer than the reader
// takes is dropped whole rather than read as several lines.
class LineSplitter {
 public:
  explicit LineSplitter(UdbReadResult* result) : result_(result) {}

  // false once "<END>" was seen: nothing after it counts.
  bool feed(const char* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size && !done_; ++i) {
      if (bytes[i] == '\n') {
        finish_line();
      } else if (line_.size() <= IME_UDB_LINE_MAX) {
        line_.push_back(bytes[i]);
      }
    }
    return !done_;
  }

  void finish() {
    if (!done_ && !line_.empty()) finish_line();
    if (!done_) IME_DEBUG("File read end.");
  }

 private:
  void finish_line() {
    if (std::string_view(line_).substr(0, IME_UDB_END_TAG.size()) == IME_UDB_END_TAG) {
      IME_DEBUG("Read the end tag.");
      result_->end_tag = true;
      done_ = true;
      return;
    }
    std::string why;
    if (std::optional<UdbLine> phrase = ime_udb_parse_line(line_, &why)) {
      result_->phrases.push_back(std::move(*phrase));
    } else {
      IME_DEBUG("%s", why.c_str());
      ++result_->skipped;
    }
    line_.clear();
  }

  UdbReadResult* result_;
  std::string line_;
  bool done_ = false;
};

}  // namespace

std::string ime_udb_lock_path(const std::string& udb_path) { return udb_path + ".lock"; }

UdbLock UdbLock::acquire(const std::string& udb_path, std::chrono::milliseconds timeout) {
  UdbLock lock;
  const std::string path = ime_udb_lock_path(udb_path);
  platform::UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (!fd) fd.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) {
    lock.failure_ = system_error(path);
    return lock;
  }
  // Polled rather than blocking, so the wait can end: a blocking flock has no time-out.
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) {
      lock.failure_ = system_error(path);
      return lock;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      lock.busy_ = true;
      lock.failure_ = path + ": held by another process for over " + std::to_string(timeout.count()) + " ms";
      return lock;
    }
    std::this_thread::sleep_for(kLockPoll);
  }
  lock.fd_ = std::move(fd);
  return lock;
}

bool ime_udb_read(int fd, UdbReadResult* result, std::string* error) {
  *result = UdbReadResult{};
  LineSplitter lines(result);
  char buffer[16384];
  off_t offset = 0;
  while (true) {
    ssize_t got = ::pread(fd, buffer, sizeof buffer, offset);
    if (got < 0) {
      if (errno == EINTR) continue;
      *error = std::strerror(errno);
      return false;
    }
    if (got == 0) break;
    offset += got;
    if (!lines.feed(buffer, static_cast<std::size_t>(got))) return true;
  }
  lines.finish();
  return true;
}

bool ime_udb_read_path(const std::string& path, UdbReadResult* result, std::string* error) {
  platform::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd && errno == ENOENT) fd.reset(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (!fd) {
    *error = system_error(path);
    return false;
  }
  return ime_udb_read(fd.get(), result, error);
}

std::string ime_udb_unwritable_reason(const std::string& path) {
  const std::string folder = folder_of(path);
  // A new file is renamed over udb.lib, which needs the folder; a udb.lib made read-only is
  // still taken as the user's wish that it stays as it is.
  if (!may_write(folder, W_OK | X_OK)) return system_error(folder);
  if (!may_write(path, W_OK)) return system_error(path);
  return {};
}

bool ime_udb_replace(const std::string& path, const std::string& content, std::string* error) {
  std::error_code ec;
  if (!platform::files::write_atomic(path, content, ec, 0600)) {
    *error = ec.message();
    return false;
  }
  return true;
}
