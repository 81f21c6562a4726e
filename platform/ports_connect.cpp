#include "platform/ports_connect.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/unix_socket.h"

namespace platform::ports {

namespace {

// How long connecting may wait while a busy server's backlog is full.
constexpr std::chrono::seconds kConnectTimeout(5);

std::error_code errno_code() { return {errno, std::generic_category()}; }

}  // namespace

UniqueFd connect_to(const std::filesystem::path& path, std::error_code& error) {
  sockaddr_un address{};
  socklen_t length = 0;
  if (!unix_socket::make_address(path, address, length)) {
    error = std::make_error_code(std::errc::filename_too_long);
    return {};
  }
  // Blocking while connecting (bounded by SO_SNDTIMEO), non-blocking afterwards.
  UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
  if (!fd) {
    error = errno_code();
    return {};
  }
  timeval timeout{static_cast<time_t>(kConnectTimeout.count()), 0};
  ::setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  int rc;
  do {
    rc = ::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), length);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    error = (errno == ENOENT || errno == ECONNREFUSED)
                ? std::make_error_code(std::errc::connection_refused)
                : errno_code();
    return {};
  }
  if (unix_socket::peer_uid(fd.get()) != static_cast<long>(::geteuid())) {
    error = std::make_error_code(std::errc::permission_denied);
    return {};
  }
  int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags | O_NONBLOCK) != 0) {
    error = errno_code();
    return {};
  }
  return fd;
}


}  // namespace platform::ports
