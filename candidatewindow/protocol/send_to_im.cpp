#include "candidatewindow/protocol/send_to_im.h"

#include <chrono>
#include <system_error>

#include "candidatewindow/protocol/message_ids.h"
#include "platform/ports.h"

namespace kepcandidate {

namespace {

constexpr std::chrono::milliseconds kSendTimeout{10000};
constexpr std::chrono::milliseconds kReceiveTimeout{10000};

std::int32_t gServerProcessId = 0;

}  // namespace

std::int32_t serverProcessId() { return gServerProcessId; }
void setServerProcessId(std::int32_t pid) { gServerProcessId = pid; }

std::optional<std::string> serverPortName(std::int32_t pid) {
  if (pid <= 0) return std::nullopt;
  return std::string(kServerPortPrefix) + "." + std::to_string(pid);
}

int SendMessageToIM(std::int32_t id, std::string_view data) {
  std::optional<std::string> name = serverPortName(gServerProcessId);
  if (!name) return -1;
  std::error_code error;
  std::optional<platform::ports::RemotePort> port = platform::ports::RemotePort::open(*name, error);
  if (!port) return -2;
  platform::ports::Reply reply =
      port->send(id, data, kSendTimeout, kReceiveTimeout, /*wait_for_reply=*/false);
  return reply.status == platform::ports::SendStatus::Success ? 0 : -2;
}

}  // namespace kepcandidate
