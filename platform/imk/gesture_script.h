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
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/imk/keys.h"

namespace platform::imk {

struct Gesture {
  enum class Kind { Key, FlagsChanged, InvokeMenuItem, Activate, Deactivate };
  Kind kind = Kind::Key;
  // Key: the key pressed. FlagsChanged: the modifier key's code and the flags after the change.
  KeyStroke key;
  // FlagsChanged of Caps Lock: the light's state from now on.
  std::optional<bool> caps_lock;
  int menu_tag = 0;
  // Deactivate: the input source switched to; none when the focus moved.
  std::optional<std::string> input_source;
  friend bool operator==(const Gesture&, const Gesture&) = default;
};

// nullopt, with the reason in `error`, where parse_key_script would refuse the script or a
// menu tag is not a number.
std::optional<std::vector<Gesture>> parse_gesture_script(std::string_view script,
                                                         std::string* error);

}  // namespace platform::imk
