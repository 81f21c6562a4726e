// The server's windows write their pictures when shown or changed; a failed write is logged,
// never fatal (the window still works, only its picture is stale).
#pragma once

#include <system_error>

#include "IMKKEP/base/server_log.h"
#include "platform/ui/window.h"

namespace imkkep {

inline void KEPDisplayWindow(platform::ui::Window& window) {
  std::error_code error;
  if (!window.display(error)) {
    KEPLogAlways("The window %s could not be written: %s", window.name().c_str(),
                 error.message().c_str());
  }
}

}  // namespace imkkep
