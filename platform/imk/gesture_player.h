// Plays gestures on one context of a connection as a keyboard would send them: while Caps
// Lock is on, every event carries its flag.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/imk/client.h"
#include "platform/imk/gesture_script.h"

namespace platform::imk {

class GesturePlayer {
 public:
  GesturePlayer(Connection& connection, std::uint32_t context)
      : connection_(connection), context_(context) {}

  // Sends `gesture`, or for a wait serves the server for its time: the server's "handled"
  // answer for a key or a modifier change, true for the rest; nullopt when the connection
  // failed (its error() says why).
  std::optional<bool> play(const Gesture& gesture);

  bool caps_lock() const { return caps_lock_; }
  // The flags the last modifier change went with.
  std::uint64_t last_flags() const { return last_flags_; }

 private:
  Connection& connection_;
  std::uint32_t context_;
  bool caps_lock_ = false;
  std::uint64_t last_flags_ = 0;
};

}  // namespace platform::imk
