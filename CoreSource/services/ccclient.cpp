#include "services/ccclient.h"

#include "base/imelog.h"
#include "services/service_peer.h"
#include "services/service_reply.h"

int ime_converter_timeout_ms = IME_SERVICE_TIMEOUT_MS;

int QASendDataToServer(const char* port_name, std::int32_t msgid, std::string_view request,
                       std::optional<std::string>* reply, std::chrono::milliseconds timeout) {
  if (port_name == nullptr || reply == nullptr) return -2;
  const platform::ports::SendStatus status =
      ime_service_send(port_name, msgid, request, reply, timeout);
  if (status != platform::ports::SendStatus::Success) {
    IME_DEBUG("Port %s: message %d failed: %s", port_name, msgid,
              platform::ports::describe(status));
    return -2;
  }
  return 0;
}

int QAConvertChinese(const char* text, std::size_t length, std::string* out) {
  if ((text == nullptr && length > 0) || out == nullptr) {
    IME_ERROR("Create CFDataRef object failed.");
    return -1;
  }
  std::optional<std::string> reply;
  if (ime_service_request(&ime_converter_service, QA_MSG_CONVERT_CHINESE,
                          std::string_view(text == nullptr ? "" : text, length), &reply,
                          ime_converter_timeout_ms) != 0) {
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
