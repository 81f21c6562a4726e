#include "services/ccclient.h"

#include <chrono>

#include "base/imelog.h"
#include "platform/ports.h"
#include "services/service_reply.h"

namespace {

constexpr const char* kConverterPortName = "KEPCCServerPort";

}  // namespace

int QASendDataToServer(const char* port_name, std::int32_t msgid, std::string_view request,
                       std::optional<std::string>* reply, std::chrono::milliseconds timeout) {
  if (port_name == nullptr || reply == nullptr) return -2;
  reply->reset();
  std::error_code error;
  auto remote = platform::ports::RemotePort::open(port_name, error);
  if (!remote) return -2;
  platform::ports::Reply answer = remote->send(msgid, request, timeout, timeout);
  if (answer.status != platform::ports::SendStatus::Success) {
    IME_DEBUG("Port %s: message %d failed: %s", port_name, msgid,
              platform::ports::describe(answer.status));
    return -2;
  }
  *reply = std::move(answer.data);
  return 0;
}

int QAConvertChinese(const char* text, std::size_t length, std::string* out) {
  if ((text == nullptr && length > 0) || out == nullptr) {
    IME_ERROR("Create CFDataRef object failed.");
    return -1;
  }
  std::optional<std::string> reply;
  if (QASendDataToServer(kConverterPortName, QA_MSG_CONVERT_CHINESE,
                         std::string_view(text == nullptr ? "" : text, length), &reply) != 0) {
    IME_ERROR("Send data to DUZUduriv failed.");
    return -2;
  }
  // The reply is checked before its status or payload is read: a service that gave no reply
  // data, or a short or garbled one, is an error and not something to read past.
  std::optional<ime_service_reply_t> parsed = ime_parse_service_reply(reply);
  if (!parsed) {
    IME_ERROR("Convert failed! malformed reply of %zu bytes.", reply ? reply->size() : 0);
    return -5;
  }
  if (parsed->status != 0) {
    IME_ERROR("Convert failed! code=%03d.", parsed->status);
    return -5;
  }
  out->assign(parsed->payload);
  return static_cast<int>(out->size());
}
