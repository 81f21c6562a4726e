// A whole file behind a shared memory mapping, with a stdio-like interface.
#pragma once

#include <cstddef>
#include <cstdint>

enum {
  QAMMAP_READ_ONLY = 0,
  QAMMAP_READ_WRITE = 2,
};

struct QAMMap {
  char path[512];
  unsigned char* address;
  std::int64_t size;
  int fd;
  int mode;  // QAMMAP_READ_ONLY or QAMMAP_READ_WRITE
  std::int64_t position;
};

// Maps the whole file, read-write when `writable` is 1. NULL when the file cannot be examined,
// opened or mapped (an empty file cannot be mapped) or its path does not fit.
QAMMap* QAMMapOpen(const char* path, int writable);
void QAMMapClose(QAMMap* handle);

// Whole items moved at the position, which advances by what was moved. An item is moved only
// when it lies entirely inside the file; a read-only handle writes nothing.
std::size_t QAMMapRead(void* buffer, std::size_t item_size, std::size_t count, QAMMap* handle);
std::size_t QAMMapWrite(const void* data, std::size_t item_size, std::size_t count, QAMMap* handle);

// whence 0: from the start, 1: from the position, 2: from the end; the result is clamped to
// 0..size. Another whence returns -1 and keeps the position.
std::int64_t QAMMapSeek(QAMMap* handle, std::int64_t offset, int whence);
std::int64_t QAMMapTell(const QAMMap* handle);
int QAMMapEOF(const QAMMap* handle);
std::int64_t QAMMapSize(const QAMMap* handle);

// Copies at most length - 1 bytes from `position` and zero-terminates them inside `length`
// bytes; returns the bytes copied. The handle's position is neither used nor moved.
std::size_t QAMMapReadBufferAt(const QAMMap* handle, std::int64_t position, void* buffer,
                               std::size_t length);

// The value at `position` in the machine's byte order; 0 when it would not lie inside the file.
std::uint8_t QAMMapReadUInt8At(const QAMMap* handle, std::int64_t position);
std::uint16_t QAMMapReadUInt16At(const QAMMap* handle, std::int64_t position);
std::uint32_t QAMMapReadUInt32At(const QAMMap* handle, std::int64_t position);
