#include "celldict/update/small_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace celldict::update {

SmallFile read_small_file(const std::filesystem::path& path, std::size_t limit) {
  SmallFile result;
  // O_NONBLOCK: a FIFO put in the file's place must not hang the reader.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    result.status = errno == ENOENT ? SmallFile::Status::Missing : SmallFile::Status::Unreadable;
    result.why = std::strerror(errno);
    return result;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    result.status = SmallFile::Status::Unreadable;
    result.why = "not a regular file";
    return result;
  }
  std::string bytes(limit + 1, '\0');
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      result.status = SmallFile::Status::Unreadable;
      result.why = std::strerror(errno);
      ::close(fd);
      return result;
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  ::close(fd);
  if (filled > limit) {
    result.status = SmallFile::Status::TooLong;
    return result;
  }
  bytes.resize(filled);
  result.status = SmallFile::Status::Read;
  result.text = std::move(bytes);
  return result;
}

}  // namespace celldict::update
