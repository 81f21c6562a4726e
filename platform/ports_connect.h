// Connecting to a port's socket, shared by remote ports and a local port's start-up probe.
#pragma once

#include <chrono>
#include <filesystem>
#include <system_error>

#include "platform/unique_fd.h"

namespace platform::ports {

// How long connecting waits by default while a busy server's backlog is full: a live service
// catches up within it.
inline constexpr std::chrono::milliseconds kDefaultConnectTimeout{5000};

// Connects to a port socket and checks that its owner is this user; the descriptor is
// non-blocking. A missing socket, or one nobody listens on, is connection_refused. While the
// server's backlog is full the connect waits up to `timeout`; with a zero time-out it does not
// wait at all. Either way a full backlog ends in resource_unavailable_try_again.
UniqueFd connect_to(const std::filesystem::path& path, std::error_code& error,
                    std::chrono::milliseconds timeout = kDefaultConnectTimeout);

}  // namespace platform::ports
