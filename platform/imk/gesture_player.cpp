#include "platform/imk/gesture_player.h"

#include <chrono>

namespace platform::imk {

std::optional<bool> GesturePlayer::play(const Gesture& gesture) {
  const std::uint64_t caps_flag = caps_lock_ ? kCapsLockFlag : 0;
  switch (gesture.kind) {
    case Gesture::Kind::Key: {
      KeyStroke key = gesture.key;
      key.modifier_flags |= caps_flag;
      return connection_.key_down(context_, key);
    }
    case Gesture::Kind::FlagsChanged:
      last_flags_ = gesture.key.modifier_flags;
      if (gesture.caps_lock) {
        caps_lock_ = *gesture.caps_lock;
      } else {
        last_flags_ |= caps_flag;
      }
      return connection_.flags_changed(context_, last_flags_, gesture.key.key_code);
    case Gesture::Kind::InvokeMenuItem:
      if (!connection_.invoke_menu_item(context_, gesture.menu_tag)) return std::nullopt;
      return true;
    case Gesture::Kind::Activate:
      if (!connection_.activate(context_, caps_lock_)) return std::nullopt;
      return true;
    case Gesture::Kind::Deactivate: {
      const bool switched = gesture.input_source.has_value();
      if (!connection_.deactivate(context_,
                                  switched ? DeactivationReason::InputSourceChanged
                                           : DeactivationReason::FocusMoved,
                                  gesture.input_source.value_or(""))) {
        return std::nullopt;
      }
      return true;
    }
    case Gesture::Kind::Wait:
      if (!connection_.serve_for(std::chrono::milliseconds(gesture.wait_ms))) {
        return std::nullopt;
      }
      return true;
  }
  return std::nullopt;
}

}  // namespace platform::imk
