#include "platform/ui/control_server.h"

namespace platform::ui {

std::string control_port_name(std::string_view program) {
  return std::string(program) + ".control";
}

std::unique_ptr<ControlServer> ControlServer::create(std::string_view program, RunLoop& loop,
                                                     std::error_code& error,
                                                     const ports::LocalPortOptions& options) {
  std::unique_ptr<ControlServer> server(new ControlServer());
  WindowRegistry* registry = &server->registry_;
  server->port_ = ports::LocalPort::create(
      control_port_name(program),
      [registry](std::int32_t, std::string_view payload) -> std::optional<std::string> {
        return registry->perform(payload);
      },
      loop, error, options);
  if (!server->port_) return nullptr;
  return server;
}

}  // namespace platform::ui
