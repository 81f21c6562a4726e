#include "platform/imk/gesture_script.h"

#include <charconv>
#include <string>
#include <utility>

namespace platform::imk {
namespace {

// Ten minutes: long enough for any scripted pause, short enough that a typo cannot hang a run.
constexpr int kMaxWaitMs = 600000;

Gesture flags_changed(std::uint16_t key_code, std::uint64_t flags,
                      std::optional<bool> caps_lock = std::nullopt) {
  Gesture gesture;
  gesture.kind = Gesture::Kind::FlagsChanged;
  gesture.key = KeyStroke{"", key_code, flags};
  gesture.caps_lock = caps_lock;
  return gesture;
}

// A modifier pressed and released with nothing in between.
void add_tap(std::vector<Gesture>& gestures, std::uint16_t key_code, std::uint64_t flags) {
  gestures.push_back(flags_changed(key_code, flags));
  gestures.push_back(flags_changed(key_code, 0));
}

Gesture of_kind(Gesture::Kind kind) {
  Gesture gesture;
  gesture.kind = kind;
  return gesture;
}

std::optional<int> parse_tag(std::string_view text) {
  int tag = 0;
  auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), tag);
  if (problem != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return tag;
}

std::optional<int> parse_wait(std::string_view text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  std::optional<int> ms = parse_tag(text);
  if (!ms || *ms < 1 || *ms > kMaxWaitMs) return std::nullopt;
  return ms;
}

// Adds the gestures `name` (what stands between the angle brackets) stands for; false when it
// names none.
bool add_named_gesture(std::string_view name, std::vector<Gesture>& gestures) {
  if (name == "shift-tap" || name == "lshift") {
    add_tap(gestures, kKeyLeftShift, kShiftFlag | kLeftShiftBit);
  } else if (name == "rshift") {
    add_tap(gestures, kKeyRightShift, kShiftFlag | kRightShiftBit);
  } else if (name == "ctrl-tap") {
    add_tap(gestures, kKeyLeftControl, kControlFlag | kLeftControlBit);
  } else if (name == "caps-on") {
    gestures.push_back(flags_changed(kKeyCapsLock, kCapsLockFlag, true));
  } else if (name == "caps-off") {
    gestures.push_back(flags_changed(kKeyCapsLock, 0, false));
  } else if (name == "activate") {
    gestures.push_back(of_kind(Gesture::Kind::Activate));
  } else if (name == "deactivate") {
    gestures.push_back(of_kind(Gesture::Kind::Deactivate));
  } else if (name.starts_with("deactivate:")) {
    Gesture gesture = of_kind(Gesture::Kind::Deactivate);
    gesture.input_source = std::string(name.substr(sizeof "deactivate:" - 1));
    gestures.push_back(std::move(gesture));
  } else {
    return false;
  }
  return true;
}

enum class Numbered { Added, NotNumbered, Refused };

// Adds the gesture of a name that carries a number (<menu:TAG>, <wait:MS>); Refused, with the
// reason in `error`, when the number is not one the gesture takes.
Numbered add_numbered_gesture(std::string_view name, std::vector<Gesture>& gestures,
                              std::string* error) {
  Gesture gesture;
  if (name.starts_with("menu:")) {
    std::optional<int> tag = parse_tag(name.substr(sizeof "menu:" - 1));
    if (!tag) {
      if (error) *error = "menu tag is not a number in <" + std::string(name) + ">";
      return Numbered::Refused;
    }
    gesture = of_kind(Gesture::Kind::InvokeMenuItem);
    gesture.menu_tag = *tag;
  } else if (name.starts_with("wait:")) {
    std::optional<int> ms = parse_wait(name.substr(sizeof "wait:" - 1));
    if (!ms) {
      if (error) {
        *error = "wait is not a number of milliseconds from 1 to " + std::to_string(kMaxWaitMs) +
                 " in <" + std::string(name) + ">";
      }
      return Numbered::Refused;
    }
    gesture = of_kind(Gesture::Kind::Wait);
    gesture.wait_ms = *ms;
  } else {
    return Numbered::NotNumbered;
  }
  gestures.push_back(std::move(gesture));
  return Numbered::Added;
}

}  // namespace

std::optional<std::vector<Gesture>> parse_gesture_script(std::string_view script,
                                                         std::string* error) {
  std::vector<Gesture> gestures;
  for (std::size_t at = 0; at < script.size();) {
    std::size_t next = at + 1;
    if (script[at] == '<') {
      const std::size_t end = script.find('>', at + 1);
      if (end != std::string_view::npos) {
        next = end + 1;
        std::string_view name = script.substr(at + 1, end - at - 1);
        if (add_named_gesture(name, gestures)) {
          at = next;
          continue;
        }
        switch (add_numbered_gesture(name, gestures, error)) {
          case Numbered::Added:
            at = next;
            continue;
          case Numbered::Refused:
            return std::nullopt;
          case Numbered::NotNumbered:
            break;
        }
      }
    }
    auto keys = parse_key_script(script.substr(at, next - at), error);
    if (!keys) return std::nullopt;
    for (KeyStroke& key : *keys) {
      Gesture gesture = of_kind(Gesture::Kind::Key);
      gesture.key = std::move(key);
      gestures.push_back(std::move(gesture));
    }
    at = next;
  }
  return gestures;
}

}  // namespace platform::imk
