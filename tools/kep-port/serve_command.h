// `kep-port serve NAME`: serves a port and prints every message it receives, answering none.
#pragma once

namespace kep_port {

// Serves until SIGTERM or SIGINT; 0 then, 1 when the port cannot be served.
int serve(const char* port_name);

}  // namespace kep_port
