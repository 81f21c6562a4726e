#include "base/tablefile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/imelog.h"
#include "platform/files.h"

QAMMap* _cached_pool[IME_CACHED_POOL_SIZE];

namespace {

bool write_zeros(int fd, long long size) {
  static const char zeros[1024] = {};
  while (size > 0) {
    std::size_t block = size < static_cast<long long>(sizeof zeros)
                            ? static_cast<std::size_t>(size) : sizeof zeros;
    ssize_t n = ::write(fd, zeros, block);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    size -= n;
  }
  return true;
}

}  // namespace

int ime_descriptor_above_stdio(int fd) {
  if (fd < 0 || fd > 2) return fd;
  int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
  ::close(fd);
  return moved;
}

int ime_write_zero_file_atomic(const char* path, long long size, unsigned mode) {
  if (path == nullptr || size < 0) {
    errno = EINVAL;
    return -1;
  }
  std::error_code error;
  auto replacement = platform::files::AtomicReplacement::begin(path, mode, error);
  if (replacement && write_zeros(replacement->descriptor(), size) && replacement->commit(error)) {
    return 0;
  }
  errno = error ? error.value() : errno;
  return -1;
}

int ime_mmap(const char* path, ime_mmap_t* record, int writable) {
  if (path == nullptr || record == nullptr) return -1;
  std::size_t path_length = std::strlen(path);
  if (path_length >= sizeof record->path) {
    IME_ERROR("Open file \"%s\" failed!:%s.", path, std::strerror(ENAMETOOLONG));
    return -1;
  }
  struct stat st;
  if (::stat(path, &st) != 0) {
    IME_ERROR("Stat file \"%s\" failed!:%s.", path, std::strerror(errno));
    return -1;
  }
  int fd = ime_descriptor_above_stdio(::open(path, (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC));
  if (fd < 0) {
    IME_ERROR("Open file \"%s\" failed!:%s.", path, std::strerror(errno));
    return -1;
  }
  // The size that counts is the one of the file actually opened.
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    int error = S_ISREG(st.st_mode) ? errno : EINVAL;
    IME_ERROR("Stat file \"%s\" failed!:%s.", path, std::strerror(error));
    ::close(fd);
    return -1;
  }
  void* address = st.st_size > 0
      ? ::mmap(nullptr, static_cast<std::size_t>(st.st_size),
               PROT_READ | (writable ? PROT_WRITE : 0), MAP_SHARED, fd, 0)
      : MAP_FAILED;
  if (address == MAP_FAILED) {
    IME_ERROR("Map file \"%s\" to memory failed!:%s", path,
              std::strerror(st.st_size > 0 ? errno : EINVAL));
    ::close(fd);
    return -1;
  }
  std::memcpy(record->path, path, path_length + 1);
  record->address = address;
  record->length = st.st_size;
  record->fd = fd;
  return 0;
}

int ime_munmap(ime_mmap_t* record) {
  if (record == nullptr) return 0;
  if (record->address != nullptr) {
    ::munmap(record->address, static_cast<std::size_t>(record->length));
    record->address = nullptr;
    record->length = 0;
  }
  if (record->fd > 0) ::close(record->fd);
  record->fd = 0;
  return 0;
}

int ime_create_file(const char* path, long long size) {
  if (path == nullptr || size == LLONG_MIN) return -1;
  struct stat st;
  bool exists = ::stat(path, &st) == 0;
  if (exists && (size == 0 || size == st.st_size)) return 0;
  long long wanted = size < 0 ? -size : size;
  if (ime_write_zero_file_atomic(path, wanted, 0644) != 0) {
    IME_ERROR("Create file \"%s\" failed!:%s.", path, std::strerror(errno));
    return -1;
  }
  return 0;
}

void InitCachedFilePool() { CloseCachedFilePool(); }

void CloseCachedFilePool() {
  for (QAMMap*& slot : _cached_pool) {
    QAMMapClose(slot);
    slot = nullptr;
  }
}

QAMMap* ime_cached_pool_open(const char* path, int mode) {
  if (path == nullptr) return nullptr;
  for (QAMMap*& slot : _cached_pool) {
    if (slot != nullptr && std::strcmp(slot->path, path) != 0) continue;
    if (slot != nullptr && slot->mode == mode) {
      QAMMapSeek(slot, 0, 0);
      return slot;
    }
    QAMMapClose(slot);
    slot = QAMMapOpen(path, mode == QAMMAP_READ_WRITE ? 1 : 0);
    return slot;
  }
  return nullptr;
}
