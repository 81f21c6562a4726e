// udb.lib on disk: the exclusive lock every reader and writer holds, reading the phrase lines,
// and replacing the file as a whole.
//
// The file is replaced by renaming a new file over it, so the lock is not taken on udb.lib
// itself but on a lock file beside it ("udb.lib.lock") that is never replaced or removed:
// every process waits on the same file, and whoever gets the lock holds it for the file the
// path names.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "platform/unique_fd.h"
#include "user/udb_line.h"

// How long a reader or writer waits for another process to let go of the lock.
inline constexpr std::chrono::milliseconds IME_UDB_LOCK_TIMEOUT{15000};

// The lock file of the udb.lib at `udb_path`.
std::string ime_udb_lock_path(const std::string& udb_path);

// The exclusive lock on udb.lib's lock file, released when destroyed or released.
class UdbLock {
 public:
  // Opens the lock file (creating it when missing; read-only when that is all that can be
  // opened: flock needs no write access) and waits up to `timeout` for its lock.
  static UdbLock acquire(const std::string& udb_path,
                         std::chrono::milliseconds timeout = IME_UDB_LOCK_TIMEOUT);

  bool held() const { return fd_.valid(); }
  // Whether the lock was not taken only because another process held it past the time-out.
  bool busy() const { return busy_; }
  // Why the lock was not taken.
  const std::string& failure() const { return failure_; }
  int descriptor() const { return fd_.get(); }
  void release() { fd_.reset(); }

 private:
  platform::UniqueFd fd_;
  bool busy_ = false;
  std::string failure_;
};

struct UdbReadResult {
  std::vector<UdbLine> phrases;
  int skipped = 0;          // malformed lines
  bool end_tag = false;     // stopped at "<END>"
};

// Reads the phrases of an open file from its start, up to "<END>" or the end of the file.
// Malformed and over-long lines are skipped, each with a DEBUG log line. false, with the reason
// in `error`, when the file cannot be read.
bool ime_udb_read(int fd, UdbReadResult* result, std::string* error);

// Reads the file at `path`; a missing file is created empty. false with the reason in
// `error` when it can be neither read nor created.
bool ime_udb_read_path(const std::string& path, UdbReadResult* result, std::string* error);

// Why this process could not replace the file at `path` (the file or its folder not
// writable); empty when it can.
std::string ime_udb_unwritable_reason(const std::string& path);

// Replaces the file at `path` by `content` (a temporary file beside it, flushed, renamed over
// it). The old file stays whole when this fails. false with the reason in `error`.
bool ime_udb_replace(const std::string& path, const std::string& content, std::string* error);
