// What one key means to the engine: the pure part of the key road, from the key and the state
// of the composition to an engine key code (or to what the road does instead).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace imkkep {

enum class KeyMeaning {
  EngineKey,    // give `code` to the matcher
  Swallow,      // handled, nothing happens
  VModeSelect,  // the V-mode list takes its selected entry
  Cancel,       // drop the composition
  NotHandled,   // the client has the key
};

struct MappedKey {
  KeyMeaning meaning = KeyMeaning::NotHandled;
  int code = 0;
};

// What the mapping reads of the composition and the settings.
struct KeyMappingState {
  bool composing = false;
  bool double_pinyin = false;
  std::uint32_t mode = 0;            // the conversation's mode bits
  bool candidates_in_list1 = false;  // V mode: the list has entries of its own
  bool candidates_in_list3 = false;  // the merged candidate list has entries
  bool tone_control = false;
  int pageup_mask = 7;
  int pagedown_mask = 7;
  bool smart_web_prefixes = false;  // the engine is valid and knows web prefixes
  std::string_view syllables;       // the typed syllables joined
};

// The name of the modifier key with HID usage `usage` (224 to 231, left then right Control,
// Shift, Alt and Command); "Unknown 0xNN" for any other usage.
std::string modifierKeyString(int usage);

// The digit 1-9 that the key code types on a US keyboard, else 0.
int DigitOfKeyCode(std::uint16_t kc);

// Page keys under the masks: bit 0 ',' / '.', bit 1 Up / Down arrow, bit 2 '-' / '=',
// bit 3 '[' / ']'.
bool IsPageUpChar(int ch, std::uint16_t kc, int mask);
bool IsPageDownChar(int ch, std::uint16_t kc, int mask);

// The typed syllables begin a web address that `ch` continues ("www" and '.', "http" and ':').
bool ContinuesWebPrefix(std::string_view syllables, int ch);

// `ch` is the character's first UTF-8 byte (0-255; 0 for none), `mf` the device-independent
// modifiers.
MappedKey KEPEngineKey(int ch, std::uint16_t kc, std::uint64_t mf, const KeyMappingState& state);

}  // namespace imkkep
