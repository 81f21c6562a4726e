#include "services/sentence_client.h"

#include <cstring>

#include "base/imelog.h"
#include "services/service_peer.h"
#include "services/service_reply.h"

int ime_sentence_timeout_ms = QCP_DEFAULT_TIMEOUT_MS;

namespace {

// The text of a C string field: the bytes up to the first NUL, as the service's C side reads
// them.
std::string_view up_to_nul(std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); }

// How a reply with an error status is logged.
enum class Refusal { Error, Normal };

// Sends a request and checks the reply's header and status; the payload on success. The
// failure is logged with the texts the engine's log has always used.
std::optional<std::string> request_payload(std::int32_t msgid, std::string_view request,
                                           Refusal refusal = Refusal::Error) {
  std::optional<std::string> reply;
  if (QCPSendDataWithReply(msgid, request, &reply) != 0) return std::nullopt;
  std::optional<ime_service_reply_t> parsed = ime_parse_service_reply(reply);
  if (!parsed) {
    IME_ERROR("Reply data invaild.");
    return std::nullopt;
  }
  if (parsed->status != 0) {
    if (refusal == Refusal::Normal) {
      IME_DEBUG("Code in valid: %.*s", static_cast<int>(parsed->payload.size()),
                parsed->payload.data());
    } else {
      IME_ERROR("Code in valid.");
    }
    return std::nullopt;
  }
  return std::string(parsed->payload);
}

}  // namespace

void ime_sentence_client_reset_for_testing() { ime_service_forget(&ime_sentence_service); }

int QCPSendDataWithReply(std::int32_t msgid, std::string_view request,
                         std::optional<std::string>* reply) {
  if (reply == nullptr) return -2;
  return ime_service_request(&ime_sentence_service, msgid, request, reply,
                             ime_sentence_timeout_ms);
}

int QAConvertStream(const char* pinyin, std::string* text_out, std::string* flags_out) {
  if (text_out != nullptr) text_out->clear();
  if (flags_out != nullptr) flags_out->clear();
  if (pinyin == nullptr || text_out == nullptr || flags_out == nullptr) return -1;
  IME_DEBUG("==>ConvertStream");
  // The service refuses every input it cannot convert whole, such as one ending inside a
  // syllable, as typing gives on most keys: the caller composes its own sentence then.
  std::optional<std::string> payload =
      request_payload(QCP_MSG_CONVERT_STREAM, pinyin, Refusal::Normal);
  if (!payload) return -1;
  std::size_t separator = payload->find(QCP_PART_SEPARATOR);
  if (separator == std::string::npos) {
    IME_ERROR("Convert stream reply has no separator.");
    return -1;
  }
  std::string_view bytes = *payload;
  text_out->assign(up_to_nul(bytes.substr(0, separator)));
  flags_out->assign(up_to_nul(bytes.substr(separator + 1)));
  return QCP_CONVERT_OK;
}

int QALearnText(const char* pinyin, const char* text) {
  if (pinyin == nullptr || text == nullptr) return -1;
  std::string request(pinyin);
  request += QCP_PART_SEPARATOR;
  request += text;
  return request_payload(QCP_MSG_LEARN_TEXT, request) ? 0 : -1;
}

int QAFillPY(const char* text, std::string* pinyin_out) {
  if (pinyin_out != nullptr) pinyin_out->clear();
  if (text == nullptr || pinyin_out == nullptr) return -1;
  std::optional<std::string> payload = request_payload(QCP_MSG_FILL_PY, text);
  if (!payload) return -1;
  std::string_view pinyin = up_to_nul(*payload);
  // The service reports an empty fill as an error itself; an empty "success" is no pinyin
  // either, and callers would otherwise take it for one.
  if (pinyin.empty()) {
    IME_ERROR("Fill pinyin reply is empty.");
    return -1;
  }
  pinyin_out->assign(pinyin);
  return 0;
}
