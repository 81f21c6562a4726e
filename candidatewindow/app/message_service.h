// The window program's port: the server's messages arrive on it and go to the controller on the
// main run loop, never answered. The windows display once the messages waiting on the port have
// been applied, one loop turn later: at full typing speed several pages wait, and only the last
// one is drawn and written.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <system_error>

#include "candidatewindow/app/candidate_controller.h"
#include "platform/ports.h"
#include "platform/runloop.h"

namespace kepcandidatewindow {

class MessageService {
 public:
  MessageService(CandidateController& controller, platform::RunLoop& loop)
      : controller_(controller), loop_(loop) {}
  ~MessageService();
  MessageService(const MessageService&) = delete;
  MessageService& operator=(const MessageService&) = delete;

  // Applies one message and makes sure the windows display after the loop's current turn.
  void receive(std::int32_t id, std::string_view payload);

 private:
  friend std::unique_ptr<MessageService> registerMessageService(CandidateController&,
                                                                platform::RunLoop&,
                                                                std::error_code&);
  CandidateController& controller_;
  platform::RunLoop& loop_;
  platform::RunLoop::SourceId display_timer_ = 0;
  std::unique_ptr<platform::ports::LocalPort> port_;
};

// nullptr with `error` set when the port cannot be served (std::errc::address_in_use when
// another copy of the program serves it).
std::unique_ptr<MessageService> registerMessageService(CandidateController& controller,
                                                       platform::RunLoop& loop,
                                                       std::error_code& error);

}  // namespace kepcandidatewindow
