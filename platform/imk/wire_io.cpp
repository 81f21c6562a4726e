#include "platform/imk/wire_io.h"

#include <poll.h>

#include "platform/unix_socket.h"

namespace platform::imk::wire {

using unix_socket::IoResult;
using unix_socket::WaitResult;

bool send_message(int fd, const ports::Message& message, Clock::time_point deadline) {
  if (message.payload.size() > ports::max_payload(message.kind)) return false;
  for (const std::string& packet : ports::encode_message(message)) {
    while (true) {
      IoResult io = unix_socket::send_packet(fd, packet);
      if (io == IoResult::Done) break;
      if (io != IoResult::WouldBlock) return false;
      if (unix_socket::wait_until(fd, POLLOUT, deadline) != WaitResult::Ready) return false;
    }
  }
  return true;
}

Receiver::Result Receiver::next(int fd, Clock::time_point deadline, ports::Message& message) {
  while (true) {
    std::string_view packet;
    switch (unix_socket::receive_packet(fd, ports::kMaxPacket, buffer_, packet)) {
      case IoResult::Done:
        break;
      case IoResult::WouldBlock:
        if (Clock::now() >= deadline) return Result::Nothing;
        switch (unix_socket::wait_until(fd, POLLIN, deadline)) {
          case WaitResult::Ready:
            continue;
          case WaitResult::TimedOut:
            return Result::Nothing;
          case WaitResult::Failed:
            return Result::Closed;
        }
        continue;
      case IoResult::TooLarge:
        return Result::Malformed;
      case IoResult::Closed:
      case IoResult::Failed:
        return Result::Closed;
    }
    switch (assembler_.feed(packet)) {
      case ports::MessageAssembler::Result::Incomplete:
        if (!message_started_) message_started_ = Clock::now();
        break;
      case ports::MessageAssembler::Result::Malformed:
        return Result::Malformed;
      case ports::MessageAssembler::Result::Complete:
        message_started_.reset();
        message = assembler_.take();
        return Result::Message;
    }
  }
}

}  // namespace platform::imk::wire
