// The window program's port: the server's messages arrive on it and go to the controller, one
// at a time on the main run loop, never answered.
#pragma once

#include <memory>
#include <system_error>

#include "candidatewindow/app/candidate_controller.h"
#include "platform/ports.h"
#include "platform/runloop.h"

namespace kepcandidatewindow {

// nullptr with `error` set when the port cannot be served (std::errc::address_in_use when
// another copy of the program serves it).
std::unique_ptr<platform::ports::LocalPort> registerMessageService(CandidateController& controller,
                                                                   platform::RunLoop& loop,
                                                                   std::error_code& error);

}  // namespace kepcandidatewindow
