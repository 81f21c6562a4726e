// A file written aside and moved into place only when complete: created by mkstemp in the
// folder of its final name (so the move is a rename on one file system), removed again unless
// it was committed.
#pragma once

#include <string>
#include <string_view>

namespace codetable {

class TempFile {
 public:
  // Creates "<folder>/.<name>.XXXXXX". Check ok() afterwards; error() tells why not.
  TempFile(const std::string& folder, std::string_view name);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  bool ok() const { return fd_ >= 0 || committed_; }
  const std::string& path() const { return path_; }
  const std::string& error() const { return error_; }

  // Writes all of `bytes` and flushes them to disk. false (error() set) on failure.
  bool write_all(std::string_view bytes);
  // Flushes and closes the descriptor, for files another library writes by path. false on failure.
  bool close();
  // Renames the file to `final_path` (the descriptor closed first). false on failure, the
  // temporary file still to be removed.
  bool commit(const std::string& final_path);

 private:
  std::string path_;
  std::string error_;
  int fd_ = -1;
  bool committed_ = false;
};

// Flushes a folder's entries, so renames inside it survive a crash. false on failure.
bool SyncFolder(const std::string& folder);

}  // namespace codetable
