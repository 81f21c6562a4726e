// Scripts of what a person does at an application, beyond typing keys: modifier taps, Caps
// Lock, the input menu, focus and input-source changes. The scripted client plays them in
// order; everything that is not a gesture is a key of the key script ("ni<space><opt-1>").
//
//   <shift-tap>  <lshift>  left Shift pressed alone: flags-changed 0x20002, then 0
//   <rshift>                right Shift alone: flags-changed 0x20004, then 0
//   <ctrl-tap>              left Control alone: flags-changed 0x40001, then 0
//   <caps-on>  <caps-off>   Caps Lock on (flags-changed 0x10000) or off (0)
//   <menu:TAG>              invoke the menu item TAG
//   <activate>  <deactivate>  <deactivate:SOURCE>   focus came or went; the input source
//                           changed to SOURCE
//   <wait:MS>               no key for MS milliseconds (1 to 600000) while the server may still
//                           write into the document, as a panel the user clicks does
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/imk/keys.h"

namespace platform::imk {

struct Gesture {
  enum class Kind { Key, FlagsChanged, InvokeMenuItem, Activate, Deactivate, Wait };
  Kind kind = Kind::Key;
  // Key: the key pressed. FlagsChanged: the modifier key's code and the flags after the change.
  KeyStroke key;
  // FlagsChanged of Caps Lock: the light's state from now on.
  std::optional<bool> caps_lock;
  int menu_tag = 0;
  // Deactivate: the input source switched to; none when the focus moved.
  std::optional<std::string> input_source;
  int wait_ms = 0;
  friend bool operator==(const Gesture&, const Gesture&) = default;
};

// nullopt, with the reason in `error`, where parse_key_script would refuse the script, a menu
// tag is not a number or a wait is not a whole number of milliseconds in its range.
std::optional<std::vector<Gesture>> parse_gesture_script(std::string_view script,
                                                         std::string* error);

}  // namespace platform::imk
