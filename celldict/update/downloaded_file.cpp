#include "celldict/update/downloaded_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files.h"

namespace celldict::update {

std::optional<DownloadedFile> DownloadedFile::write(const std::string& name, std::string_view body,
                                                    std::error_code& error) {
  auto folder = platform::files::make_temp_directory({}, "kep-celldict-", error);
  if (!folder) return std::nullopt;
  // Owns the folder from here on, so a failed write leaves nothing behind.
  DownloadedFile file(*folder / name);
  const int fd = ::open(file.path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    error.assign(errno, std::generic_category());
    return std::nullopt;
  }
  const bool written = platform::files::write_all(fd, body);
  const int saved = errno;
  if (::close(fd) != 0 || !written) {
    error.assign(written ? errno : saved, std::generic_category());
    return std::nullopt;
  }
  return file;
}

DownloadedFile::~DownloadedFile() {
  if (path_.empty()) return;
  std::error_code ignored;
  platform::files::remove_tree(path_.parent_path(), ignored);
}

}  // namespace celldict::update
