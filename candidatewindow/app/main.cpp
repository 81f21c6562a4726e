// IMKKEPCandidateWindow: the candidate, status and V-mode windows of the input method. The
// server starts it; it takes the server's messages on IMKKEPCANDIDATEWINDOW_RECEIVER, serves
// its windows' control port, and ends at SIGTERM (power-off).
#include <signal.h>

#include <cstdio>
#include <system_error>

#include "candidatewindow/app/candidate_controller.h"
#include "candidatewindow/app/message_service.h"
#include "candidatewindow/app/picture_memory.h"
#include "candidatewindow/protocol/message_ids.h"
#include "platform/runloop.h"
#include "platform/ui/control_server.h"

int main() {
  using kepcandidatewindow::kProgramName;
  ::signal(SIGXFSZ, SIG_IGN);  // a file-size limit fails a picture's write instead of the program
  platform::RunLoop loop;
  loop.on_power_off([&loop] { loop.stop(); });

  kepcandidatewindow::CandidateController controller;
  std::error_code error;
  // The message port first: it is what makes this the one copy that runs.
  auto port = kepcandidatewindow::registerMessageService(controller, loop, error);
  if (!port) {
    if (error == std::errc::address_in_use) {
      std::fprintf(stderr, "%s: another copy already serves '%s'.\n", kProgramName,
                   kepcandidate::kCandidateWindowPortName);
      return 1;
    }
    // Without its port the program has nothing to do, yet it keeps running as the server
    // expects its companion to.
    std::fprintf(stderr, "%s: Unable to create local message port for '%s'. (%s)\n",
                 kProgramName, kepcandidate::kCandidateWindowPortName, error.message().c_str());
  }
  auto control = platform::ui::ControlServer::create(kProgramName, loop, error);
  if (!control) {
    std::fprintf(stderr, "%s: cannot serve the control port: %s\n", kProgramName,
                 error.message().c_str());
    return 1;
  }
  controller.awakeFromNib(control->windows());
  loop.run();
  return 0;
}
