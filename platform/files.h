// File-system services: the root prefix, atomic writes, locks, mappings and walks.
// Nothing here runs a shell.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace platform::files {

namespace fs = std::filesystem;

// The root prefix under which every absolute system path lives: $KEP_ROOT when set and not
// empty; otherwise the staged root "../root" beside the running program when it exists
// (a program started from the build tree); otherwise "/".
fs::path root();

// Forgets the cached root so that the next call of root() looks again (tests change KEP_ROOT).
void reset_root_cache();

// Maps an absolute system path such as "/Library/TAV" into the root prefix.
fs::path under_root(std::string_view absolute_path);

// Creates a folder and its missing parents; newly created folders get `mode`.
bool make_directories(const fs::path& path, unsigned mode, std::error_code& error);

// Reads a whole file; nullopt (with `error` set) when it cannot be read.
std::optional<std::string> read_file(const fs::path& path, std::error_code& error);

// Writes all of `data` to a descriptor, retrying short writes and interruptions.
bool write_all(int fd, std::string_view data);

// Whether a replaced file is flushed to disk before and after its rename. Snapshots that only
// show the present state to readers (a window's picture) need the rename, not the flush.
enum class Durability { Flushed, Unflushed };

// Writes `data` to a temporary file beside `path`, flushes it to disk (unless Unflushed) and
// renames it over `path`, so readers see the old or the new contents, never a mix. On failure
// the old file is untouched and the temporary file removed.
bool write_atomic(const fs::path& path, std::string_view data, std::error_code& error,
                  unsigned mode = 0644, Durability durability = Durability::Flushed);

// A temporary file that an interrupted atomic write left behind is removed once it is older
// than this: a live writer touches its file far more often.
inline constexpr std::chrono::minutes kStaleTemporaryAge{5};

// The new contents of `path` being written under a temporary name beside it, ".<name>.XXXXXX":
// commit() flushes the file and renames it over `path`; one never committed is removed.
// Starting one first removes the stale temporary files of the folder.
class AtomicReplacement {
 public:
  static std::optional<AtomicReplacement> begin(const fs::path& path, unsigned mode,
                                                std::error_code& error);

  AtomicReplacement(AtomicReplacement&& other) noexcept;
  AtomicReplacement& operator=(AtomicReplacement&&) = delete;
  AtomicReplacement(const AtomicReplacement&) = delete;
  AtomicReplacement& operator=(const AtomicReplacement&) = delete;
  ~AtomicReplacement();

  int descriptor() const { return fd_; }
  // Flushes, closes and renames the file over the target, then makes the rename durable
  // (closes and renames only, when Unflushed).
  bool commit(std::error_code& error, Durability durability = Durability::Flushed);

 private:
  AtomicReplacement(int fd, fs::path temporary, fs::path target)
      : fd_(fd), temporary_(std::move(temporary)), target_(std::move(target)) {}
  int fd_ = -1;
  fs::path temporary_;
  fs::path target_;
};

// Removes from `folder` the regular files named like an atomic write's temporary file
// (".<name>.XXXXXX") whose last change is older than kStaleTemporaryAge.
void remove_stale_temporaries(const fs::path& folder);

// An exclusive advisory lock (flock) on a file, held until destruction.
class FileLock {
 public:
  // Opens (creating when missing) and locks `path`, which must not be a symbolic link. With
  // `wait` false, fails at once when another process holds the lock.
  static std::optional<FileLock> acquire(const fs::path& path, bool wait, std::error_code& error);

  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock();

  int descriptor() const { return fd_; }

 private:
  explicit FileLock(int fd) : fd_(fd) {}
  int fd_ = -1;
};

// A whole file mapped into memory, shared with the file, unmapped on destruction.
class MappedFile {
 public:
  // Fails for a missing file and for an empty one (nothing to map).
  static std::optional<MappedFile> open(const fs::path& path, bool writable,
                                        std::error_code& error);

  MappedFile(MappedFile&& other) noexcept;
  MappedFile& operator=(MappedFile&& other) noexcept;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();

  unsigned char* data() const { return data_; }
  std::size_t size() const { return size_; }
  bool writable() const { return writable_; }
  std::string_view bytes() const { return {reinterpret_cast<const char*>(data_), size_}; }

 private:
  MappedFile() = default;
  void release();
  unsigned char* data_ = nullptr;
  std::size_t size_ = 0;
  int fd_ = -1;
  bool writable_ = false;
};

// The entries of a folder (not recursive), sorted by name in byte order; "." entries skipped
// unless `include_hidden`.
std::vector<fs::directory_entry> list_directory(const fs::path& folder, std::error_code& error,
                                                bool include_hidden = false);

// Copies a regular file; an existing destination is replaced atomically.
bool copy_file_replacing(const fs::path& source, const fs::path& destination, std::error_code& error);

// Removes a file or a whole folder tree, never following links out of it.
bool remove_tree(const fs::path& path, std::error_code& error);

// A new empty folder from mkdtemp under `parent` (the system temp folder when empty).
std::optional<fs::path> make_temp_directory(const fs::path& parent, std::string_view prefix,
                                            std::error_code& error);

}  // namespace platform::files
