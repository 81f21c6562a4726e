#include "platform/ports_connect.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/unix_socket.h"

namespace platform::ports {

namespace {

std::error_code errno_code() { return {errno, std::generic_category()}; }

}  // namespace

UniqueFd connect_to(const std::filesystem::path& path, std::error_code& error,
                    std::chrono::milliseconds timeout) {
  sockaddr_un address{};
  socklen_t length = 0;
  if (!unix_socket::make_address(path, address, length)) {
    error = std::make_error_code(std::errc::filename_too_long);
    return {};
  }
  // A Unix connect never completes later: it succeeds, fails, or (non-blocking) finds the
  // backlog full at once. Blocking, it waits for room for at most SO_SNDTIMEO.
  const bool wait = timeout.count() > 0;
  UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | (wait ? 0 : SOCK_NONBLOCK), 0));
  if (!fd) {
    error = errno_code();
    return {};
  }
  if (wait) {
    auto micros = std::chrono::duration_cast<std::chrono::microseconds>(timeout).count();
    timeval limit{static_cast<time_t>(micros / 1000000), static_cast<suseconds_t>(micros % 1000000)};
    ::setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  }
  int rc;
  do {
    rc = ::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), length);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    if (errno == ENOENT || errno == ECONNREFUSED) {
      error = std::make_error_code(std::errc::connection_refused);
    } else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINPROGRESS) {
      error = std::make_error_code(std::errc::resource_unavailable_try_again);
    } else {
      error = errno_code();
    }
    return {};
  }
  if (unix_socket::peer_uid(fd.get()) != static_cast<long>(::geteuid())) {
    error = std::make_error_code(std::errc::permission_denied);
    return {};
  }
  if (wait) {
    int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags | O_NONBLOCK) != 0) {
      error = errno_code();
      return {};
    }
  }
  return fd;
}

}  // namespace platform::ports
