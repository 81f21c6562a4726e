#include "request_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/files.h"

namespace kep_httpd {

namespace {

void append_printable(std::string& out, std::string_view text) {
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    out += byte < 0x20 || byte == 0x7f ? '?' : c;
  }
}

}  // namespace

std::string log_line(std::string_view method, std::string_view target, const char* user_agent) {
  std::string line;
  append_printable(line, method);
  line += ' ';
  append_printable(line, target);
  line += '\t';
  append_printable(line, user_agent ? user_agent : "-");
  line += '\n';
  return line;
}

std::unique_ptr<RequestLog> RequestLog::open(const std::filesystem::path& path,
                                             std::string& error) {
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    error = "cannot open the request log " + path.string() + ": " + std::strerror(errno);
    return nullptr;
  }
  return std::unique_ptr<RequestLog>(new RequestLog(fd));
}

RequestLog::~RequestLog() { ::close(fd_); }

void RequestLog::append(std::string_view line) {
  std::lock_guard lock(mutex_);
  platform::files::write_all(fd_, line);
}

}  // namespace kep_httpd
