#include "converter/service/qcc_service.h"

#include "converter/cclog.h"
#include "platform/ports.h"
#include "platform/text.h"

std::unique_ptr<converter::ChineseConverter> kConverterHandler;

namespace {

constexpr std::size_t kMaxErrorReply = 1023;

std::unique_ptr<platform::ports::LocalPort> server_port;

}  // namespace

std::string QCError(int status, std::string_view message) {
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%03d:", status);
  std::string reply = prefix;
  reply.append(message);
  if (reply.size() > kMaxErrorReply) {
    reply = std::string(platform::text::utf8_prefix(reply, kMaxErrorReply));
  }
  return reply;
}

std::optional<std::string> QCCMessageCallback(std::int32_t msgid, std::string_view data) {
  if (!kConverterHandler) return QCError(QCC_ERR_NO_CONVERTER, "Chinese Converter Instance not initaliazed.");
  switch (msgid) {
    case QCC_MSG_CONVERT: {
      if (!platform::text::is_valid_utf8(data)) {
        return QCError(QCC_ERR_BAD_INPUT, "Create string object for input data failed!");
      }
      auto converted = kConverterHandler->convertString(data);
      if (!converted) return QCError(QCC_ERR_CONVERT_FAILED, "Convert to Traditional Chinese failed!");
      if (!platform::text::is_valid_utf8(*converted)) {
        return QCError(QCC_ERR_RESULT_ENCODING, "Convert result string to UTF8 encoding data failed.");
      }
      return "000:" + *converted;
    }
    case QCC_MSG_VERSION:
      return kConverterHandler->version();
    case QCC_MSG_DB_VERSION:
      return kConverterHandler->dbVersion();
    default:
      return std::nullopt;
  }
}

int QCCInitialize(platform::RunLoop& loop) {
  std::error_code error;
  server_port = platform::ports::LocalPort::create(kQCCServerPortName, QCCMessageCallback, loop, error);
  if (!server_port) {
    converter::cclog("Cannot serve %s: %s", kQCCServerPortName, error.message().c_str());
    return 1;
  }
  return 0;
}

void QCCShutdown() { server_port.reset(); }
