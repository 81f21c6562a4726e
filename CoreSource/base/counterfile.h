// Counter files: the files of 32-bit counters in the data folder (hzfreq.db, the dictionaries'
// and code tables' .freq files) that every engine process maps shared and updates by plain
// stores.
//
// Several processes may start at once, so creating, resizing and resetting a counter file
// happen under one lock; a process whose file was replaced all the same (a newer program reset
// it) maps the new one at its next update. A counter file is never reached through a symbolic
// link, and all its blocks are allocated before it is mapped: a store into a hole of a full
// file system would be a SIGBUS instead of an error.
#pragma once

// Holds the counter lock, an flock on "<data folder>/counters.lock", for its lifetime. Nested
// holders in one process share the lock (a second flock of the same file would wait for the
// first). The engine runs on one thread, which this relies on.
class IMECounterLock {
 public:
  IMECounterLock();
  ~IMECounterLock();
  IMECounterLock(const IMECounterLock&) = delete;
  IMECounterLock& operator=(const IMECounterLock&) = delete;

  // False when the lock could not be taken (logged): no data folder, or a link in its place.
  bool held() const { return held_; }

 private:
  bool held_ = false;
};

inline constexpr const char* IME_COUNTER_LOCK_NAME = "counters.lock";

// What becomes of a counter file's counters when it is made ready.
enum IMECounterRenewal {
  IME_COUNTERS_RESIZE,  // a file of another size is resized, keeping its leading counters
  IME_COUNTERS_ZERO_MISFIT,  // a file of another size starts afresh: its rows mean other things
  IME_COUNTERS_ZERO,    // the file starts afresh whatever its size
};

// Makes `path` a counter file of `size` bytes: a missing file is created with zeros, an
// existing one is kept, resized or zeroed as `renewal` says. A new file replaces the old one
// atomically and all its blocks are allocated. A symbolic link or other non-file at `path` is
// refused. The caller holds the counter lock. 0, or -1 (logged).
int ime_counter_file_ensure(const char* path, long long size, IMECounterRenewal renewal);

// Opens the counter file at `path` read-write without following a link, checks that it holds
// `size` bytes, allocates its blocks and maps it shared. 0, or -1 (logged).
int ime_counter_file_map(const char* path, long long size, int* fd, void** address);

// When `path` names another file than the one open as `*fd` (another process replaced it), maps
// that one of `size` bytes in place of the old mapping. True when it did; a missing or unfit
// new file keeps the old mapping.
bool ime_counter_file_follow(const char* path, long long size, int* fd, void** address);

// Allocates the blocks of the first `size` bytes of a file, growing it to `size` when shorter;
// an errno value on failure. posix_fallocate; tests replace it to act out a full disk.
extern int (*ime_counter_allocate)(int fd, long long size);
