// The control port of a program with windows: "<program>.control", served on the program's run
// loop, runs the commands of control_command.h on the windows registered here. The tool kep-ui
// sends them.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/ports.h"
#include "platform/runloop.h"
#include "platform/ui/window_registry.h"

namespace platform::ui {

std::string control_port_name(std::string_view program);

class ControlServer {
 public:
  // Serves the program's control port from `loop` (on the loop's thread). Fails like
  // ports::LocalPort::create, e.g. std::errc::address_in_use when another process serves it.
  static std::unique_ptr<ControlServer> create(std::string_view program, RunLoop& loop,
                                               std::error_code& error,
                                               const ports::LocalPortOptions& options = {});

  WindowRegistry& windows() { return registry_; }
  const std::string& port_name() const { return port_->name(); }

 private:
  ControlServer() = default;

  // Declared first so that it outlives the port whose handler uses it.
  WindowRegistry registry_;
  std::unique_ptr<ports::LocalPort> port_;
};

}  // namespace platform::ui
