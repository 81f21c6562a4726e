#include "candidatewindow/protocol/activation_message.h"

#include <cmath>

#include "candidatewindow/protocol/label_format.h"

namespace kepcandidate {

namespace {

std::int32_t in_range_or_zero(std::optional<std::int32_t> value, std::int32_t highest) {
  return value && *value >= 0 && *value <= highest ? *value : 0;
}

// A NaN says nothing about opacity: it is refused, and the default stays.
float read_alpha(const platform::plist::Dictionary& dictionary) {
  const platform::plist::Value* value = dictionary.find("ALPHA");
  if (value == nullptr) return 1.0f;
  std::optional<double> number = value->real_value();
  if (!number || std::isnan(*number)) return 1.0f;
  if (*number < 0) return 0.0f;
  if (*number > 1) return 1.0f;
  return static_cast<float>(*number);
}

}  // namespace

std::optional<ActivationMessage> readActivationMessage(std::string_view payload) {
  std::optional<platform::plist::Dictionary> dictionary = parsePayload(payload);
  if (!dictionary) return std::nullopt;
  ActivationMessage message;
  message.imeMode = in_range_or_zero(readInt32(*dictionary, "IME_MODE"), 3);
  message.schemeMode = in_range_or_zero(readInt32(*dictionary, "SCHEME_MODE"), 2);
  message.processId = readInt32(*dictionary, "PROCESS_ID");
  message.shadow = readBool(*dictionary, "SHADOW").value_or(true);
  if (auto format = readString(*dictionary, "FORMAT_STRING"); format && isLabelFormat(*format)) {
    message.formatString = *format;
  }
  message.skin = readString(*dictionary, "SKIN");
  if (auto font = readString(*dictionary, "FONT_NAME"); font && !font->empty()) {
    message.fontName = *font;
  }
  if (auto size = readInt32(*dictionary, "FONT_SIZE");
      size && *size >= kMinFontSize && *size <= kMaxFontSize) {
    message.fontSize = *size;
  }
  if (auto text = readString(*dictionary, "FOREGROUND_COLOR")) {
    message.foreground = KEPSGetRGBColor(*text).value_or(message.foreground);
  }
  if (auto text = readString(*dictionary, "BACKGROUND_COLOR")) {
    message.background = KEPSGetRGBColor(*text).value_or(message.background);
  }
  message.alpha = read_alpha(*dictionary);
  message.hideStatusBar = readBool(*dictionary, "HIDE_STATUS_BAR");
  if (const platform::plist::Value* status = dictionary->find("STATUS");
      status != nullptr && status->as_dictionary() != nullptr) {
    message.status = *status->as_dictionary();
  }
  return message;
}

}  // namespace kepcandidate
