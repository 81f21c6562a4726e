// The keys of kep-type that stand for what a terminal cannot send: F2 a lone Shift press, F3 a
// lone Control press, F4 the Caps Lock key, and Ctrl-T, digits and Return the input menu's item
// with that tag (any other key leaves the tag unsent).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/imk/gesture_script.h"
#include "terminal.h"

namespace kep_type {

class GestureKeys {
 public:
  // The gestures `key` stands for; nullopt for a key to type. Empty while a menu tag is typed.
  std::optional<std::vector<platform::imk::Gesture>> take(const kep_terminal::TerminalKey& key);
  // The tag typed so far after Ctrl-T ("" right after it); nullopt when none is being typed.
  const std::optional<std::string>& menu_tag() const { return menu_tag_; }

 private:
  std::optional<std::string> menu_tag_;
  bool caps_lock_ = false;
};

// The start line and --help's description of the keys.
extern const char kGestureKeysHelp[];

}  // namespace kep_type
