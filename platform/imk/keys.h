// Keys and modifiers as the input-method framework carries them: the virtual key codes and
// modifier masks that the server's tables are written in, and the one table that turns the
// characters and terminal keys a client sees into (key code, flags).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::imk {

// Device-independent modifier masks.
inline constexpr std::uint64_t kCapsLockFlag = 0x10000;
inline constexpr std::uint64_t kShiftFlag = 0x20000;
inline constexpr std::uint64_t kControlFlag = 0x40000;
inline constexpr std::uint64_t kOptionFlag = 0x80000;
inline constexpr std::uint64_t kCommandFlag = 0x100000;
inline constexpr std::uint64_t kDeviceIndependentFlags = 0x1f0000;

// Side-specific modifier bits, carried in the low bits of the same flags word.
inline constexpr std::uint64_t kLeftControlBit = 0x1;
inline constexpr std::uint64_t kLeftShiftBit = 0x2;
inline constexpr std::uint64_t kRightShiftBit = 0x4;
inline constexpr std::uint64_t kLeftCommandBit = 0x8;
inline constexpr std::uint64_t kRightCommandBit = 0x10;
inline constexpr std::uint64_t kLeftOptionBit = 0x20;
inline constexpr std::uint64_t kRightOptionBit = 0x40;
inline constexpr std::uint64_t kRightControlBit = 0x2000;

// Virtual key codes of the keys that are not plain characters.
enum KeyCode : std::uint16_t {
  kKeyReturn = 36,
  kKeyTab = 48,
  kKeySpace = 49,
  kKeyDelete = 51,  // Backspace
  kKeyEscape = 53,
  kKeyLeftShift = 56,
  kKeyCapsLock = 57,
  kKeyLeftControl = 59,
  kKeyRightShift = 60,
  kKeyKeypadEnter = 76,
  kKeyF5 = 96,
  kKeyF6 = 97,
  kKeyF7 = 98,
  kKeyF3 = 99,
  kKeyF8 = 100,
  kKeyF9 = 101,
  kKeyF11 = 103,
  kKeyF13 = 105,
  kKeyF14 = 107,
  kKeyF10 = 109,
  kKeyF12 = 111,
  kKeyF15 = 113,
  kKeyHelp = 114,
  kKeyHome = 115,
  kKeyPageUp = 116,
  kKeyForwardDelete = 117,
  kKeyF4 = 118,
  kKeyEnd = 119,
  kKeyF2 = 120,
  kKeyPageDown = 121,
  kKeyF1 = 122,
  kKeyLeft = 123,
  kKeyRight = 124,
  kKeyDown = 125,
  kKeyUp = 126,
};

// One key press as a client sends it: the characters it types (UTF-8, may be empty), its key
// code and its modifier flags.
struct KeyStroke {
  std::string characters;
  std::uint16_t key_code = 0;
  std::uint64_t modifier_flags = 0;
  friend bool operator==(const KeyStroke&, const KeyStroke&) = default;
};

// The key that types `character` on a US keyboard: letters, digits and ASCII punctuation (with
// Shift where the character needs it), space, Return ('\r' or '\n'), Tab, Backspace (0x7f or
// 0x08) and Escape. nullopt for anything else.
std::optional<KeyStroke> key_for_character(char character);

// Keys by the names of the engine driver's key scripts: "space", "bs", "del", "ret", "left",
// "right", "up", "down", "pgup", "pgdn", "home", "end", "tab", "esc", "f1".."f15" (or "F1".."F15"), "lt"
// (the character '<'). nullopt for an unknown name.
std::optional<KeyStroke> key_named(std::string_view name);

// The keys of a script such as "nihao<space>" or "shi<pgdn>3": characters as typed, named keys
// in angle brackets, each optionally prefixed inside the brackets by modifiers
// ("<opt-1>", "<ctrl-opt-2>", "<shift-a>", "<cmd-c>", "<caps-a>"). nullopt, with the reason in
// `error`, for an unknown name or a byte outside printable ASCII.
std::optional<std::vector<KeyStroke>> parse_key_script(std::string_view script, std::string* error);

}  // namespace platform::imk
