#include "candidatewindow/app/message_service.h"

#include "candidatewindow/protocol/message_ids.h"

namespace kepcandidatewindow {

std::unique_ptr<platform::ports::LocalPort> registerMessageService(CandidateController& controller,
                                                                   platform::RunLoop& loop,
                                                                   std::error_code& error) {
  return platform::ports::LocalPort::create(
      kepcandidate::kCandidateWindowPortName,
      [&controller](std::int32_t id, std::string_view payload) -> std::optional<std::string> {
        controller.handleMessage(id, payload);
        return std::nullopt;
      },
      loop, error);
}

}  // namespace kepcandidatewindow
