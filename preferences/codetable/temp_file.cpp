#include "temp_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace codetable {

namespace {

std::string system_error(const char* what, const std::string& path) {
  return std::string(what) + " '" + path + "': " + std::strerror(errno);
}

}  // namespace

TempFile::TempFile(const std::string& folder, std::string_view name) {
  std::string pattern = folder + "/." + std::string(name) + ".XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  fd_ = ::mkstemp(buffer.data());
  if (fd_ < 0) {
    error_ = system_error("Cannot create a temporary file", pattern);
    return;
  }
  path_ = buffer.data();
  // mkstemp gives 0600; the table files are the user's ordinary files.
  ::fchmod(fd_, 0644);
}

TempFile::~TempFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !path_.empty()) ::unlink(path_.c_str());
}

bool TempFile::write_all(std::string_view bytes) {
  if (fd_ < 0) return false;
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = system_error("Cannot write", path_);
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool TempFile::close() {
  if (fd_ < 0) return !path_.empty();
  const bool synced = ::fsync(fd_) == 0;
  if (!synced) error_ = system_error("Cannot flush", path_);
  const bool closed = ::close(fd_) == 0;
  fd_ = -1;
  if (synced && !closed) error_ = system_error("Cannot close", path_);
  return synced && closed;
}

bool TempFile::commit(const std::string& final_path) {
  if (path_.empty() || committed_) return false;
  if (fd_ >= 0 && !close()) return false;
  if (::rename(path_.c_str(), final_path.c_str()) != 0) {
    error_ = system_error("Cannot move the new file to", final_path);
    return false;
  }
  committed_ = true;
  return true;
}

bool SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

}  // namespace codetable
