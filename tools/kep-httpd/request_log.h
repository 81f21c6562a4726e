// The request log of kep-httpd: one line a request, "METHOD TARGET<TAB>USER-AGENT".
#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace kep_httpd {

// The line for one request (line end included). The target is the path and query as received;
// a missing user agent is "-". Control characters become '?', so that no request can forge
// a line or a field.
std::string log_line(std::string_view method, std::string_view target, const char* user_agent);

class RequestLog {
 public:
  // Opens `path` for appending (created when missing); null with `error` set on failure.
  static std::unique_ptr<RequestLog> open(const std::filesystem::path& path, std::string& error);
  ~RequestLog();
  RequestLog(const RequestLog&) = delete;
  RequestLog& operator=(const RequestLog&) = delete;

  // Appends one line unbuffered, so that a reader sees it as soon as this returns.
  void append(std::string_view line);

 private:
  explicit RequestLog(int fd) : fd_(fd) {}
  int fd_;
  std::mutex mutex_;
};

}  // namespace kep_httpd
