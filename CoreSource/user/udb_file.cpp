#include "user/udb_file.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "base/imelog.h"

namespace {

// Enough for any race with other writers; each round waits for a writer to finish.
constexpr int kLockAttempts = 100;

bool same_file(int fd, const std::string& path) {
  struct stat locked;
  struct stat named;
  if (::fstat(fd, &locked) != 0 || ::stat(path.c_str(), &named) != 0) return false;
  return locked.st_dev == named.st_dev && locked.st_ino == named.st_ino;
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

std::optional<platform::files::FileLock> ime_udb_lock(const std::string& path, std::string* error) {
  for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
    std::error_code ec;
    std::optional<platform::files::FileLock> lock = platform::files::FileLock::acquire(path, true, ec);
    if (!lock) {
      *error = ec.message();
      return std::nullopt;
    }
    if (same_file(lock->descriptor(), path)) return lock;
    // Replaced while we waited: lock the file the path names now.
  }
  *error = "the file kept being replaced";
  return std::nullopt;
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

bool ime_udb_replace(const std::string& path, const std::string& content, std::string* error) {
  std::error_code ec;
  if (!platform::files::write_atomic(path, content, ec, 0600)) {
    *error = ec.message();
    return false;
  }
  return true;
}
