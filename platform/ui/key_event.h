// Key and modifier events as views take them: the virtual key code and modifier masks the
// input-method framework carries (platform/imk/keys.h), with the characters the key types.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/imk/keys.h"

namespace platform::ui {

// The key code of characters that arrive without a key of their own (text an input method
// commits, a character no US key types).
inline constexpr std::uint16_t kNoKeyCode = 0xffff;
// Virtual key codes stop below this.
inline constexpr std::uint16_t kKeyCodeLimit = 128;

struct KeyEvent {
  std::uint16_t key_code = kNoKeyCode;
  // The masks of window.h (kShiftKeyMask ...), side bits in the low bits.
  std::uint64_t modifier_flags = 0;
  // What the key types, UTF-8; empty for a key that types nothing.
  std::string characters;
  bool operator==(const KeyEvent&) const = default;
};

// The event of a key given by its code, with the characters it types on a US keyboard when
// `characters` is nullopt: letters, digits, punctuation (shifted with Shift), space, Return,
// Tab, Backspace, Escape, the arrows, Home, End, Page Up and Down, Forward Delete and the
// function keys; none for other codes.
KeyEvent key_event_for_code(std::uint16_t key_code, std::uint64_t modifier_flags,
                            std::optional<std::string> characters = std::nullopt);

// One event per character of `characters` (UTF-8), as a person types them: the key of a
// character a US key types (with Shift where it needs it; "\x19" is Shift-Tab), kNoKeyCode
// for any other. Invalid UTF-8 gives no events.
std::vector<KeyEvent> key_events_for_characters(std::string_view characters);

}  // namespace platform::ui
