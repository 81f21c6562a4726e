// How the client library reaches the server's socket, starting the server from its bundle when
// asked and nobody serves the name.
#pragma once

#include <string_view>
#include <system_error>

#include "platform/imk/client.h"
#include "platform/unique_fd.h"

namespace platform::imk {

// The connected socket (uid checked, non-blocking). connection_refused when nobody serves the
// name; invalid_argument for a name that cannot be a socket's.
UniqueFd connect_socket(std::string_view connection_name, std::error_code& error);

// Starts the program of the bundle `options.server_bundle_identifier` under the root prefix
// and connects once it serves the name: connection_refused when there is no such bundle,
// timed_out when it does not serve the name within `options.start_timeout`.
UniqueFd start_and_connect(std::string_view connection_name,
                           const Connection::Options& options, std::error_code& error);

}  // namespace platform::imk
