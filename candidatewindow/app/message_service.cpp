#include "candidatewindow/app/message_service.h"

#include <chrono>
#include <optional>
#include <string>

#include "candidatewindow/protocol/message_ids.h"

namespace kepcandidatewindow {

MessageService::~MessageService() {
  port_.reset();
  if (display_timer_ != 0) loop_.cancel_timer(display_timer_);
}

void MessageService::receive(std::int32_t id, std::string_view payload) {
  controller_.applyMessage(id, payload);
  if (display_timer_ != 0) return;
  // A timer due at once fires after the loop has handed over what its sources had to read,
  // the other waiting messages among them.
  display_timer_ = loop_.add_timer(std::chrono::milliseconds(0), [this] {
    display_timer_ = 0;
    controller_.displayChangedWindows();
  });
}

std::unique_ptr<MessageService> registerMessageService(CandidateController& controller,
                                                       platform::RunLoop& loop,
                                                       std::error_code& error) {
  auto service = std::make_unique<MessageService>(controller, loop);
  MessageService* receiver = service.get();
  service->port_ = platform::ports::LocalPort::create(
      kepcandidate::kCandidateWindowPortName,
      [receiver](std::int32_t id, std::string_view payload) -> std::optional<std::string> {
        receiver->receive(id, payload);
        return std::nullopt;
      },
      loop, error);
  if (!service->port_) return nullptr;
  return service;
}

}  // namespace kepcandidatewindow
