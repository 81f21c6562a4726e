#include "platform/ports.h"

#include <linux/sockios.h>
#include <poll.h>
#include <sys/ioctl.h>

#include "platform/ports_connect.h"
#include "platform/runtime_dir.h"
#include "platform/unix_socket.h"

namespace platform::ports {

using unix_socket::Clock;
using unix_socket::IoResult;
using unix_socket::WaitResult;

const char* describe(SendStatus status) {
  switch (status) {
    case SendStatus::Success: return "success";
    case SendStatus::SendTimeout: return "send timed out";
    case SendStatus::ReceiveTimeout: return "receive timed out";
    case SendStatus::InvalidPort: return "port is not served";
    case SendStatus::TransportError: return "transport error";
    case SendStatus::ProtocolError: return "malformed message";
    case SendStatus::PayloadTooLarge: return "payload too large";
  }
  return "unknown";
}

SendStatus open_failure_status(const std::error_code& open_error) {
  if (open_error == std::errc::connection_refused) return SendStatus::InvalidPort;
  if (open_error == std::errc::resource_unavailable_try_again ||
      open_error == std::errc::timed_out) {
    return SendStatus::SendTimeout;
  }
  return SendStatus::TransportError;
}

std::string socket_file_name(std::string_view port_name) {
  return std::string(port_name) + ".port";
}

// ---------------------------------------------------------------------------------------------
// RemotePort

namespace {

// A connect that failed, as the outcome of the send that needed it.
SendStatus connect_failure(const std::error_code& error) {
  if (error == std::errc::connection_refused) return SendStatus::InvalidPort;
  // The server is there but its backlog stayed full: the request was not handed over in time.
  if (error == std::errc::resource_unavailable_try_again) return SendStatus::SendTimeout;
  return SendStatus::TransportError;
}

}  // namespace

std::optional<RemotePort> RemotePort::open(std::string_view name, std::error_code& error,
                                           std::chrono::milliseconds connect_timeout) {
  error.clear();
  if (!runtime::is_valid_name(name)) {
    error = std::make_error_code(std::errc::invalid_argument);
    return std::nullopt;
  }
  auto path = runtime::socket_path(socket_file_name(name), error);
  if (!path) return std::nullopt;
  UniqueFd fd = connect_to(*path, error, connect_timeout);
  if (!fd) return std::nullopt;
  return RemotePort(std::string(name), std::move(fd), connect_timeout);
}

SendStatus RemotePort::reconnect() {
  fd_.reset();
  std::error_code error;
  // By name, as open() did: the runtime folder it lives in is looked up again.
  auto path = runtime::socket_path(socket_file_name(name_), error);
  if (path) fd_ = connect_to(*path, error, connect_timeout_);
  return fd_ ? SendStatus::Success : connect_failure(error);
}

Reply RemotePort::fail(SendStatus status) {
  // Whatever was left half-sent or half-received would confuse the next exchange.
  fd_.reset();
  return Reply{status, std::nullopt};
}

std::size_t RemotePort::unread_bytes() const {
  if (!fd_) return 0;
  int queued = 0;
  if (::ioctl(fd_.get(), SIOCOUTQ, &queued) != 0 || queued < 0) return 0;
  return static_cast<std::size_t>(queued);
}

Reply RemotePort::send(std::int32_t id, std::string_view payload,
                       std::chrono::milliseconds send_timeout,
                       std::chrono::milliseconds receive_timeout, bool wait_for_reply) {
  if (payload.size() > kMaxPayload) return Reply{SendStatus::PayloadTooLarge, std::nullopt};
  bool kept_connection = static_cast<bool>(fd_);
  if (!kept_connection) {
    SendStatus connected = reconnect();
    if (connected != SendStatus::Success) return Reply{connected, std::nullopt};
  }
  Message request;
  request.kind = FrameKind::Request;
  request.flags = wait_for_reply ? kFlagWantsReply : 0;
  request.id = id;
  request.sequence = next_sequence_++;
  request.payload.assign(payload);
  bool started = false;
  SendStatus sent = send_message(request, send_timeout, started);
  if (sent == SendStatus::InvalidPort && kept_connection) {
    // The server closes connections left idle. A request it refused that way never reached
    // its handler (a server drops unfinished messages), so it is safe to send it again.
    SendStatus connected = reconnect();
    if (connected != SendStatus::Success) return fail(connected);
    started = false;
    sent = send_message(request, send_timeout, started);
  }
  if (sent == SendStatus::SendTimeout && !started) return Reply{sent, std::nullopt};
  if (sent != SendStatus::Success) return fail(sent);
  if (!wait_for_reply) return Reply{SendStatus::Success, std::nullopt};
  return receive_reply(request.sequence, receive_timeout);
}

SendStatus RemotePort::send_message(const Message& message, std::chrono::milliseconds timeout,
                                    bool& started) {
  auto deadline = Clock::now() + timeout;
  for (const std::string& packet : encode_message(message)) {
    while (true) {
      IoResult io = unix_socket::send_packet(fd_.get(), packet);
      if (io == IoResult::Done) break;
      if (io == IoResult::Closed) return SendStatus::InvalidPort;
      if (io != IoResult::WouldBlock) return SendStatus::TransportError;
      WaitResult waited = unix_socket::wait_until(fd_.get(), POLLOUT, deadline);
      if (waited == WaitResult::TimedOut) return SendStatus::SendTimeout;
      if (waited == WaitResult::Failed) return SendStatus::TransportError;
    }
    started = true;
  }
  return SendStatus::Success;
}

Reply RemotePort::receive_reply(std::uint32_t sequence, std::chrono::milliseconds timeout) {
  auto deadline = Clock::now() + timeout;
  MessageAssembler assembler;
  std::string_view packet;
  while (true) {
    IoResult io = unix_socket::receive_packet(fd_.get(), kMaxPacket, receive_buffer_, packet);
    if (io == IoResult::WouldBlock) {
      WaitResult waited = unix_socket::wait_until(fd_.get(), POLLIN, deadline);
      if (waited == WaitResult::TimedOut) return fail(SendStatus::ReceiveTimeout);
      if (waited == WaitResult::Failed) return fail(SendStatus::TransportError);
      continue;
    }
    if (io == IoResult::Closed) return fail(SendStatus::InvalidPort);
    if (io == IoResult::TooLarge) return fail(SendStatus::ProtocolError);
    if (io != IoResult::Done) return fail(SendStatus::TransportError);
    auto result = assembler.feed(packet);
    if (result == MessageAssembler::Result::Malformed) return fail(SendStatus::ProtocolError);
    if (result == MessageAssembler::Result::Incomplete) continue;
    Message reply = assembler.take();
    if (reply.sequence != sequence || reply.kind == FrameKind::Request) {
      return fail(SendStatus::ProtocolError);
    }
    if (reply.kind == FrameKind::NoReply) return Reply{SendStatus::Success, std::nullopt};
    return Reply{SendStatus::Success, std::move(reply.payload)};
  }
}

}  // namespace platform::ports
