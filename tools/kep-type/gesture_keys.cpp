#include "gesture_keys.h"

#include <utility>

namespace kep_type {
namespace {

std::vector<platform::imk::Gesture> gestures(const std::string& script) {
  return platform::imk::parse_gesture_script(script, nullptr).value();
}

}  // namespace

const char kGestureKeysHelp[] =
    "F2 Shift alone, F3 Control alone, F4 Caps Lock, Ctrl-T TAG Return a menu item";

std::optional<std::vector<platform::imk::Gesture>> GestureKeys::take(
    const kep_terminal::TerminalKey& key) {
  if (menu_tag_) {
    if (key.name.empty() && key.text.size() == 1 && key.text[0] >= '0' && key.text[0] <= '9') {
      *menu_tag_ += key.text;
      return std::vector<platform::imk::Gesture>{};
    }
    std::string tag = std::exchange(menu_tag_, std::nullopt).value();
    if (key.name != "ret" || tag.empty()) return std::vector<platform::imk::Gesture>{};
    return gestures("<menu:" + tag + ">");
  }
  if (key.name == "f2") return gestures("<shift-tap>");
  if (key.name == "f3") return gestures("<ctrl-tap>");
  if (key.name == "f4") {
    caps_lock_ = !caps_lock_;
    return gestures(caps_lock_ ? "<caps-on>" : "<caps-off>");
  }
  if (key.name == "ctrl-t") {
    menu_tag_ = "";
    return std::vector<platform::imk::Gesture>{};
  }
  return std::nullopt;
}

}  // namespace kep_type
