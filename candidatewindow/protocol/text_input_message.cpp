#include "candidatewindow/protocol/text_input_message.h"

#include "candidatewindow/protocol/payload_values.h"

namespace kepcandidate {

std::optional<TextInputMessage> readTextInputMessage(std::string_view payload) {
  std::optional<platform::plist::Dictionary> dictionary = parsePayload(payload);
  if (!dictionary) return std::nullopt;
  std::optional<std::string> candidates = readString(*dictionary, "CANDIDATES");
  if (!candidates) return std::nullopt;
  TextInputMessage message;
  message.candidates = std::move(*candidates);
  const std::optional<std::int32_t> x = readInt32(*dictionary, "X");
  const std::optional<std::int32_t> y = readInt32(*dictionary, "Y");
  if (x && y) {
    message.x = *x;
    message.y = *y;
  }
  message.fh = readInt32(*dictionary, "FH").value_or(0);
  message.page = readInt32(*dictionary, "PAGE").value_or(0);
  message.totalPage = readInt32(*dictionary, "TOTAL_PAGE").value_or(0);
  message.showPage = readBool(*dictionary, "SHOW_PAGE").value_or(false);
  if (auto height = readInt32(*dictionary, "INLINE_HEIGHT"); height && *height >= 11 && *height <= 599) {
    message.inlineHeight = *height;
  }
  message.traditional = readBool(*dictionary, "TRADITIONAL").value_or(false);
  message.py = readString(*dictionary, "PY");
  message.sp = readString(*dictionary, "SP");
  return message;
}

}  // namespace kepcandidate
