#include "candidatewindow/protocol/vmode_show_message.h"

#include "candidatewindow/protocol/payload_values.h"

namespace kepcandidate {

std::optional<VModeShowMessage> readVModeShowMessage(std::string_view payload) {
  std::optional<platform::plist::Dictionary> dictionary = parsePayload(payload);
  if (!dictionary) return std::nullopt;
  VModeShowMessage message;
  message.value = readString(*dictionary, "VALUE");
  const std::optional<std::int32_t> x = readInt32(*dictionary, "X");
  const std::optional<std::int32_t> y = readInt32(*dictionary, "Y");
  if (x && y) message.caret = VModeShowMessage::Caret{*x, *y};
  message.fh = readInt32(*dictionary, "FH").value_or(0);
  return message;
}

}  // namespace kepcandidate
