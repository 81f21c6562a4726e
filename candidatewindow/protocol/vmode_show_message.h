// Message 111: show the V-mode list for the typed text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kepcandidate {

struct VModeShowMessage {
  std::optional<std::string> value;  // the typed text with its leading trigger character
  struct Caret {
    std::int32_t x = 0;
    std::int32_t y = 0;
  };
  std::optional<Caret> caret;  // only when both X and Y came: else the list keeps its place
  std::int32_t fh = 0;
};

// nullopt when the payload is not a property-list dictionary.
std::optional<VModeShowMessage> readVModeShowMessage(std::string_view payload);

}  // namespace kepcandidate
