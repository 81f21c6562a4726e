#include "base/qammap.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

// Bytes from `position` to the end of the file, or -1 when the position is outside it.
std::int64_t remaining(const QAMMap* handle, std::int64_t position) {
  if (handle == nullptr || handle->address == nullptr || position < 0 ||
      position > handle->size) {
    return -1;
  }
  return handle->size - position;
}

template <typename T>
T read_at(const QAMMap* handle, std::int64_t position) {
  std::int64_t left = remaining(handle, position);
  if (left < static_cast<std::int64_t>(sizeof(T))) return 0;
  T value;
  std::memcpy(&value, handle->address + position, sizeof(T));
  return value;
}

}  // namespace

QAMMap* QAMMapOpen(const char* path, int writable) {
  if (path == nullptr) return nullptr;
  std::size_t path_length = std::strlen(path);
  if (path_length >= sizeof(QAMMap::path)) return nullptr;

  int fd = ::open(path, (writable == 1 ? O_RDWR : O_RDONLY) | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) {
    ::close(fd);
    return nullptr;
  }
  int protection = PROT_READ | (writable == 1 ? PROT_WRITE : 0);
  void* address = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), protection, MAP_SHARED, fd, 0);
  if (address == MAP_FAILED) {
    ::close(fd);
    return nullptr;
  }
  auto* handle = static_cast<QAMMap*>(std::calloc(1, sizeof(QAMMap)));
  if (handle == nullptr) {
    ::munmap(address, static_cast<std::size_t>(st.st_size));
    ::close(fd);
    return nullptr;
  }
  std::memcpy(handle->path, path, path_length + 1);
  handle->address = static_cast<unsigned char*>(address);
  handle->size = st.st_size;
  handle->fd = fd;
  handle->mode = writable == 1 ? QAMMAP_READ_WRITE : QAMMAP_READ_ONLY;
  handle->position = 0;
  return handle;
}

void QAMMapClose(QAMMap* handle) {
  if (handle == nullptr) return;
  if (handle->address != nullptr) ::munmap(handle->address, static_cast<std::size_t>(handle->size));
  if (handle->fd >= 0) ::close(handle->fd);
  std::free(handle);
}

std::size_t QAMMapRead(void* buffer, std::size_t item_size, std::size_t count, QAMMap* handle) {
  if (buffer == nullptr || item_size == 0) return 0;
  std::int64_t left = remaining(handle, handle ? handle->position : -1);
  if (left <= 0) return 0;
  std::size_t items = static_cast<std::size_t>(left) / item_size;
  if (items > count) items = count;
  std::size_t bytes = items * item_size;
  std::memcpy(buffer, handle->address + handle->position, bytes);
  handle->position += static_cast<std::int64_t>(bytes);
  return items;
}

std::size_t QAMMapWrite(const void* data, std::size_t item_size, std::size_t count,
                        QAMMap* handle) {
  if (data == nullptr || item_size == 0 || handle == nullptr ||
      handle->mode != QAMMAP_READ_WRITE) {
    return 0;
  }
  std::int64_t left = remaining(handle, handle->position);
  if (left <= 0) return 0;
  // An item that ends exactly at the end of the file fits.
  std::size_t items = static_cast<std::size_t>(left) / item_size;
  if (items > count) items = count;
  std::size_t bytes = items * item_size;
  std::memcpy(handle->address + handle->position, data, bytes);
  handle->position += static_cast<std::int64_t>(bytes);
  return items;
}

std::int64_t QAMMapSeek(QAMMap* handle, std::int64_t offset, int whence) {
  if (handle == nullptr) return -1;
  std::int64_t base;
  switch (whence) {
    case 0: base = 0; break;
    case 1: base = handle->position; break;
    case 2: base = handle->size; break;
    default: return -1;
  }
  std::int64_t target;
  if (__builtin_add_overflow(base, offset, &target)) target = offset < 0 ? 0 : handle->size;
  if (target < 0) target = 0;
  if (target > handle->size) target = handle->size;
  handle->position = target;
  return target;
}

std::int64_t QAMMapTell(const QAMMap* handle) { return handle ? handle->position : -1; }

int QAMMapEOF(const QAMMap* handle) {
  return handle == nullptr || handle->position == handle->size ? 1 : 0;
}

std::int64_t QAMMapSize(const QAMMap* handle) { return handle ? handle->size : -1; }

std::size_t QAMMapReadBufferAt(const QAMMap* handle, std::int64_t position, void* buffer,
                               std::size_t length) {
  if (buffer == nullptr || length == 0) return 0;
  auto* out = static_cast<unsigned char*>(buffer);
  std::int64_t left = remaining(handle, position);
  if (left < 0) {
    out[0] = 0;
    return 0;
  }
  // The terminating zero takes the buffer's last byte.
  std::size_t bytes = length - 1;
  if (static_cast<std::uint64_t>(left) < bytes) bytes = static_cast<std::size_t>(left);
  std::memcpy(out, handle->address + position, bytes);
  out[bytes] = 0;
  return bytes;
}

std::uint8_t QAMMapReadUInt8At(const QAMMap* handle, std::int64_t position) {
  return read_at<std::uint8_t>(handle, position);
}

std::uint16_t QAMMapReadUInt16At(const QAMMap* handle, std::int64_t position) {
  return read_at<std::uint16_t>(handle, position);
}

std::uint32_t QAMMapReadUInt32At(const QAMMap* handle, std::int64_t position) {
  return read_at<std::uint32_t>(handle, position);
}
