// Whole-file mappings of the shipped tables, zero-filled counter files and the pool of mapped
// files the sentence service keeps open.
#pragma once

#include <cstdint>

#include "base/qammap.h"

// A whole file mapped into memory. A zero-filled record is an unmapped one.
struct ime_mmap_t {
  char path[512];
  void* address;
  std::int64_t length;
  int fd;  // > 0 while open
};

// Maps the whole file at `path`, read-write when `writable`. 0 or -1 (logged).
int ime_mmap(const char* path, ime_mmap_t* record, int writable);
// Unmaps and closes; the record is left empty. 0.
int ime_munmap(ime_mmap_t* record);

// Ensures a zero-filled file of |size| bytes. An existing file whose size is `size` (or any
// size, when `size` is 0) is kept; a negative size always rewrites. The new file replaces the
// old one atomically. 0 or -1 (logged).
int ime_create_file(const char* path, long long size);

// Writes `size` zero bytes to a temporary file beside `path`, flushes it and renames it over
// `path`, so a reader or a crash never meets a short file. 0, or -1 with errno set.
int ime_write_zero_file_atomic(const char* path, long long size, unsigned mode);

// `fd` moved clear of 0..2, so a record's "fd > 0" test cannot mistake an open file for none
// and a stray write to standard output cannot land in a table. Negative stays negative.
int ime_descriptor_above_stdio(int fd);

inline constexpr int IME_CACHED_POOL_SIZE = 128;

// Slots of open mapped files, keyed by their path.
extern QAMMap* _cached_pool[IME_CACHED_POOL_SIZE];

// Closes whatever the pool holds and empties every slot.
void InitCachedFilePool();
void CloseCachedFilePool();

// The pooled file of `path` in `mode` (QAMMAP_READ_ONLY or QAMMAP_READ_WRITE), rewound to 0:
// the first slot that holds the path or is empty is used; a file pooled in the other mode is
// reopened. NULL when every slot holds another path or the file cannot be mapped.
QAMMap* ime_cached_pool_open(const char* path, int mode);
