#include "base/counterfile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include "base/datafolder.h"
#include "base/imelog.h"
#include "base/tablefile.h"
#include "platform/files.h"

namespace {

int lock_depth = 0;
std::optional<platform::files::FileLock> lock_file;

int allocate_blocks(int fd, long long size) { return ::posix_fallocate(fd, 0, size); }

// Up to contents->size() leading bytes of the file at `path`; a missing file keeps nothing.
bool read_leading_bytes(const char* path, std::string* contents) {
  int fd = ::open(path, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT;
  std::size_t got = 0;
  while (got < contents->size()) {
    ssize_t n = ::read(fd, contents->data() + got, contents->size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return true;
}

// A file whose blocks do not cover its size has holes that a store could not fill on a full disk.
bool has_holes(const struct stat& st) {
  return static_cast<long long>(st.st_blocks) * 512 < static_cast<long long>(st.st_size);
}

}  // namespace

int (*ime_counter_allocate)(int fd, long long size) = allocate_blocks;

IMECounterLock::IMECounterLock() {
  if (lock_depth > 0) {
    ++lock_depth;
    held_ = true;
    return;
  }
  const char* folder = QAGetAppSupportPath();
  if (folder == nullptr) return;
  std::string path = std::string(folder) + "/" + IME_COUNTER_LOCK_NAME;
  std::error_code error;
  lock_file = platform::files::FileLock::acquire(path, true, error);
  if (!lock_file) {
    IME_ERROR("Lock \"%s\" failed![%s]", path.c_str(), error.message().c_str());
    return;
  }
  lock_depth = 1;
  held_ = true;
}

IMECounterLock::~IMECounterLock() {
  if (held_ && --lock_depth == 0) lock_file.reset();
}

int ime_counter_file_ensure(const char* path, long long size, IMECounterRenewal renewal) {
  if (path == nullptr || size <= 0) return -1;
  struct stat st;
  const bool present = ::lstat(path, &st) == 0;
  if (present && !S_ISREG(st.st_mode)) {
    IME_ERROR("\"%s\" is not a plain file; counters are never kept through a link.", path);
    return -1;
  }
  if (present && renewal != IME_COUNTERS_ZERO && st.st_size == size) return 0;

  const bool keeps = present && renewal == IME_COUNTERS_RESIZE;
  std::string kept(keeps ? static_cast<std::size_t>(std::min<long long>(size, st.st_size)) : 0, '\0');
  if (!read_leading_bytes(path, &kept)) {
    IME_ERROR("Read file \"%s\" failed!:%s.", path, std::strerror(errno));
    return -1;
  }
  IME_DEBUG("create counter file \"%s\" size=%lld.", path, size);
  std::error_code error;
  auto replacement = platform::files::AtomicReplacement::begin(path, 0600, error);
  if (!replacement || !platform::files::write_all(replacement->descriptor(), kept)) {
    if (!error) error = {errno, std::generic_category()};
    IME_ERROR("create file \"%s\" failed![%s]", path, error.message().c_str());
    return -1;
  }
  if (int failed = ime_counter_allocate(replacement->descriptor(), size); failed != 0) {
    IME_ERROR("Allocate %lld bytes for \"%s\" failed!:%s.", size, path, std::strerror(failed));
    return -1;
  }
  if (!replacement->commit(error)) {
    IME_ERROR("create file \"%s\" failed![%s]", path, error.message().c_str());
    return -1;
  }
  return 0;
}

int ime_counter_file_map(const char* path, long long size, int* fd, void** address) {
  if (path == nullptr || size <= 0 || fd == nullptr || address == nullptr) return -1;
  int opened = ime_descriptor_above_stdio(::open(path, O_RDWR | O_NOFOLLOW | O_CLOEXEC));
  if (opened < 0) {
    IME_ERROR("Open file \"%s\" failed!:%s.", path, std::strerror(errno));
    return -1;
  }
  struct stat st;
  if (::fstat(opened, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != size) {
    IME_ERROR("\"%s\" is not a counter file of %lld bytes.", path, size);
    ::close(opened);
    return -1;
  }
  // A file made by an older program or copied without its holes filled.
  if (has_holes(st)) {
    if (int failed = ime_counter_allocate(opened, size); failed != 0) {
      IME_ERROR("Allocate %lld bytes for \"%s\" failed!:%s.", size, path, std::strerror(failed));
      ::close(opened);
      return -1;
    }
  }
  void* mapped = ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ | PROT_WRITE, MAP_SHARED,
                        opened, 0);
  if (mapped == MAP_FAILED) {
    IME_ERROR("Map file \"%s\" to memory failed!:%s", path, std::strerror(errno));
    ::close(opened);
    return -1;
  }
  *fd = opened;
  *address = mapped;
  return 0;
}

bool ime_counter_file_follow(const char* path, long long size, int* fd, void** address) {
  if (path == nullptr || path[0] == '\0' || fd == nullptr || *fd < 0 || address == nullptr ||
      *address == nullptr) {
    return false;
  }
  struct stat named, mapped;
  if (::lstat(path, &named) != 0 || ::fstat(*fd, &mapped) != 0) return false;
  if (named.st_dev == mapped.st_dev && named.st_ino == mapped.st_ino) return false;
  int new_fd = -1;
  void* new_address = nullptr;
  if (ime_counter_file_map(path, size, &new_fd, &new_address) != 0) return false;
  ::munmap(*address, static_cast<std::size_t>(size));
  ::close(*fd);
  *fd = new_fd;
  *address = new_address;
  IME_DEBUG("\"%s\" was replaced by another program; counting goes on in the new file.", path);
  return true;
}
