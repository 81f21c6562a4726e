// Moving whole messages over one connection of the input-method framework, with deadlines.
// Both ends use it: the server while it waits for the answer of a query, the client library
// while it waits for the answer of its call.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "platform/port_frame.h"

namespace platform::imk::wire {

using Clock = std::chrono::steady_clock;

// Sends every packet of `message`, waiting for room in the socket until `deadline`. False when
// the payload is too large, the peer is gone or the deadline passed.
bool send_message(int fd, const ports::Message& message, Clock::time_point deadline);

// Takes the packets of one connection and puts its messages back together.
class Receiver {
 public:
  enum class Result { Message, Nothing, Closed, Malformed };

  // The next complete message, waiting for packets until `deadline` (a deadline already past
  // takes only what has arrived). Nothing when no whole message came in time.
  Result next(int fd, Clock::time_point deadline, ports::Message& message);

  // When the first packet of a message not yet complete came; nullopt between messages.
  std::optional<Clock::time_point> message_started() const { return message_started_; }

 private:
  ports::MessageAssembler assembler_;
  std::string buffer_;
  std::optional<Clock::time_point> message_started_;
};

}  // namespace platform::imk::wire
