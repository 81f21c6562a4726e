// udb.lib on disk: the exclusive lock every reader and writer holds, reading the phrase lines,
// and replacing the file as a whole.
//
// The file is replaced by renaming a new file over it, so a process waiting for the lock of the
// old file would find it already replaced; the lock is therefore taken again until the locked
// file is the one the path names.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "user/udb_line.h"

// Opens `path` (creating an empty file when missing) and waits for its exclusive lock. The lock
// is released when the result is destroyed, on every path. nullopt, with the reason in
// `error`, when the file cannot be opened or locked.
std::optional<platform::files::FileLock> ime_udb_lock(const std::string& path, std::string* error);

struct UdbReadResult {
  std::vector<UdbLine> phrases;
  int skipped = 0;          // malformed lines
  bool end_tag = false;     // stopped at "<END>"
};

// Reads the phrases of the locked file from its start, up to "<END>" or the end of the file.
// Malformed and over-long lines are skipped, each with a DEBUG log line. false, with the reason
// in `error`, when the file cannot be read.
bool ime_udb_read(int fd, UdbReadResult* result, std::string* error);

// Replaces the file at `path` by `content` (a temporary file beside it, flushed, renamed over
// it). The old file stays whole when this fails. false with the reason in `error`.
bool ime_udb_replace(const std::string& path, const std::string& content, std::string* error);
