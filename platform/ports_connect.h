// Connecting to a port's socket, shared by remote ports and a local port's start-up probe.
#pragma once

#include <filesystem>
#include <system_error>

#include "platform/unique_fd.h"

namespace platform::ports {

// Connects to a port socket and checks that its owner is this user; the descriptor is
// non-blocking. A missing socket, or one nobody listens on, is connection_refused.
UniqueFd connect_to(const std::filesystem::path& path, std::error_code& error);

}  // namespace platform::ports
