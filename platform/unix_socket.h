// Small helpers over Unix-domain sockets shared by message ports and notifications.
#pragma once

#include <sys/socket.h>
#include <sys/un.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/unique_fd.h"

namespace platform::unix_socket {

using Clock = std::chrono::steady_clock;

// Fills a socket address for `path`; false when the path does not fit sun_path.
bool make_address(const std::filesystem::path& path, sockaddr_un& address, socklen_t& length);

// A new non-blocking, close-on-exec socket of `type`.
UniqueFd make_socket(int type, std::error_code& error);

enum class WaitResult { Ready, TimedOut, Failed };
// Waits until `fd` reports one of `events` or the deadline passes.
WaitResult wait_until(int fd, short events, Clock::time_point deadline);

// The uid of the process at the other end of a connected socket, or -1 when unknown.
long peer_uid(int fd);

enum class IoResult { Done, WouldBlock, Closed, TooLarge, Failed };
// Sends one packet on a connected non-blocking socket without raising SIGPIPE.
IoResult send_packet(int fd, const std::string& packet);
// Receives one packet of at most `limit` bytes; on Done, `packet` views it inside `buffer`,
// which is kept between calls so that it is not cleared for every packet. A longer packet
// gives TooLarge.
IoResult receive_packet(int fd, std::size_t limit, std::string& buffer, std::string_view& packet);

}  // namespace platform::unix_socket
