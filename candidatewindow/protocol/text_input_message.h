// Message 106: one page of candidates, the composition and where the caret is.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kepcandidate {

struct TextInputMessage {
  std::string candidates;  // joined by the byte 0x01
  // Both or neither: with only one of them sent, both defaults apply.
  std::int32_t x = 10;
  std::int32_t y = 15;
  std::int32_t fh = 0;
  std::int32_t page = 0;
  std::int32_t totalPage = 0;
  bool showPage = false;
  std::int32_t inlineHeight = 14;  // 11-599, anything else reads as 14
  bool traditional = false;
  std::optional<std::string> py;
  std::optional<std::string> sp;

  // SP when sent, else PY, else nothing.
  std::string title() const { return sp ? *sp : py.value_or(std::string()); }
};

// nullopt when the payload is not a property-list dictionary or has no CANDIDATES: such a
// message changes nothing.
std::optional<TextInputMessage> readTextInputMessage(std::string_view payload);

}  // namespace kepcandidate
