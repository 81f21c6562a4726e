#include "candidatewindow/app/notice_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/files.h"
#include "platform/runtime_dir.h"
#include "platform/unique_fd.h"

namespace kepcandidatewindow {

namespace {

std::string one_line(std::string_view text) {
  std::string out(text);
  for (char& ch : out) {
    if (ch == '\n' || ch == '\r') ch = ' ';
  }
  return out;
}

}  // namespace

std::optional<std::filesystem::path> noticeLogPath(std::error_code& error) {
  std::optional<std::filesystem::path> folder = platform::runtime::directory(error);
  if (!folder) return std::nullopt;
  return *folder / "notices.log";
}

bool appendNotice(const kepcandidate::Notice& notice, std::error_code& error) {
  std::optional<std::filesystem::path> path = noticeLogPath(error);
  if (!path) return false;
  platform::UniqueFd fd(::open(path->c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!fd) {
    error = std::error_code(errno, std::generic_category());
    return false;
  }
  // One write per line: lines of concurrent writers never interleave.
  const std::string line = one_line(notice.name) + ": " + one_line(notice.text) + "\n";
  if (!platform::files::write_all(fd.get(), line)) {
    error = std::error_code(errno, std::generic_category());
    return false;
  }
  return true;
}

}  // namespace kepcandidatewindow
