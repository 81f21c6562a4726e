// Message 100: the server configures the window and says which server to answer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "candidatewindow/protocol/payload_values.h"
#include "platform/plist.h"

namespace kepcandidate {

struct ActivationMessage {
  std::int32_t imeMode = 0;     // 0-3, anything else reads as 0
  std::int32_t schemeMode = 0;  // 0 plain, 1 skin "scheme_h1", 2 skin "scheme_v1"; else 0
  std::optional<std::int32_t> processId;  // absent: the rest of the message must not apply
  bool shadow = true;
  std::string formatString = "%d%@";
  std::optional<std::string> skin;
  std::string fontName = "Hei";
  std::int32_t fontSize = 16;
  RgbColour foreground{1, 1, 1};
  RgbColour background{0, 0, 0};
  float alpha = 1.0f;  // 0..1
  std::optional<bool> hideStatusBar;
  platform::plist::Dictionary status;
};

// Font sizes outside this range read as the default: a window is never drawn from them.
inline constexpr std::int32_t kMinFontSize = 1;
inline constexpr std::int32_t kMaxFontSize = 256;

// nullopt when the payload is not a property-list dictionary.
std::optional<ActivationMessage> readActivationMessage(std::string_view payload);

}  // namespace kepcandidate
