#include "platform/unix_socket.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace platform::unix_socket {

bool make_address(const std::filesystem::path& path, sockaddr_un& address, socklen_t& length) {
  const std::string& native = path.native();
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (native.empty() || native.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, native.data(), native.size());
  length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + native.size() + 1);
  return true;
}

UniqueFd make_socket(int type, std::error_code& error) {
  UniqueFd fd(::socket(AF_UNIX, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!fd) error = {errno, std::generic_category()};
  return fd;
}

WaitResult wait_until(int fd, short events, Clock::time_point deadline) {
  while (true) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left < 0) left = 0;
    pollfd entry{fd, events, 0};
    int rc = ::poll(&entry, 1, static_cast<int>(std::min<long long>(left, 60000)));
    if (rc < 0) {
      if (errno == EINTR) continue;
      return WaitResult::Failed;
    }
    if (rc > 0) return WaitResult::Ready;  // errors and hang-ups show up in the next call
    if (Clock::now() >= deadline) return WaitResult::TimedOut;
  }
}

long peer_uid(int fd) {
  ucred credentials{};
  socklen_t size = sizeof credentials;
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return -1;
  return static_cast<long>(credentials.uid);
}

IoResult send_packet(int fd, const std::string& packet) {
  while (true) {
    ssize_t n = ::send(fd, packet.data(), packet.size(), MSG_NOSIGNAL);
    if (n >= 0) return IoResult::Done;  // a SEQPACKET send is all or nothing
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return IoResult::WouldBlock;
    if (errno == EPIPE || errno == ECONNRESET || errno == ENOTCONN) return IoResult::Closed;
    if (errno == EMSGSIZE) return IoResult::TooLarge;
    return IoResult::Failed;
  }
}

IoResult receive_packet(int fd, std::size_t limit, std::string& buffer, std::string_view& packet) {
  // One byte of room beyond the limit, so that MSG_TRUNC tells an oversized packet apart.
  if (buffer.size() < limit + 1) buffer.resize(limit + 1);
  iovec vector{buffer.data(), limit + 1};
  msghdr header{};
  header.msg_iov = &vector;
  header.msg_iovlen = 1;
  while (true) {
    ssize_t n = ::recvmsg(fd, &header, MSG_CMSG_CLOEXEC);
    if (n > 0) {
      if ((header.msg_flags & MSG_TRUNC) != 0 || static_cast<std::size_t>(n) > limit) {
        return IoResult::TooLarge;
      }
      packet = std::string_view(buffer.data(), static_cast<std::size_t>(n));
      return IoResult::Done;
    }
    if (n == 0) return IoResult::Closed;  // packets are never empty, so 0 is end of stream
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return IoResult::WouldBlock;
    if (errno == ECONNRESET) return IoResult::Closed;
    return IoResult::Failed;
  }
}

}  // namespace platform::unix_socket
