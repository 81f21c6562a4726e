#include "platform/ports.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/runtime_dir.h"
#include "platform/unix_socket.h"

namespace platform::ports {

namespace fs = std::filesystem;
using unix_socket::Clock;
using unix_socket::IoResult;
using unix_socket::WaitResult;

namespace {

// How long the server waits for a client to take its reply before giving up on the client.
constexpr std::chrono::seconds kReplyHandOverTimeout(10);
// How long connecting may wait while a busy server's backlog is full.
constexpr std::chrono::seconds kConnectTimeout(5);
constexpr std::size_t kMaxConnections = 64;
// Packets handled per wake-up of one connection, so one busy client cannot starve the others.
constexpr int kPacketsPerTurn = 16;
constexpr int kListenBacklog = 64;

std::error_code errno_code() { return {errno, std::generic_category()}; }

// Connects to a port socket; a missing socket or one nobody listens on is connection_refused.
UniqueFd connect_to(const fs::path& path, std::error_code& error) {
  sockaddr_un address{};
  socklen_t length = 0;
  if (!unix_socket::make_address(path, address, length)) {
    error = std::make_error_code(std::errc::filename_too_long);
    return {};
  }
  // Blocking while connecting (bounded by SO_SNDTIMEO), non-blocking afterwards.
  UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
  if (!fd) {
    error = errno_code();
    return {};
  }
  timeval timeout{static_cast<time_t>(kConnectTimeout.count()), 0};
  ::setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  int rc;
  do {
    rc = ::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), length);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    error = (errno == ENOENT || errno == ECONNREFUSED)
                ? std::make_error_code(std::errc::connection_refused)
                : errno_code();
    return {};
  }
  if (unix_socket::peer_uid(fd.get()) != static_cast<long>(::geteuid())) {
    error = std::make_error_code(std::errc::permission_denied);
    return {};
  }
  int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags | O_NONBLOCK) != 0) {
    error = errno_code();
    return {};
  }
  return fd;
}

}  // namespace

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

std::string socket_file_name(std::string_view port_name) {
  return std::string(port_name) + ".port";
}

// ---------------------------------------------------------------------------------------------
// LocalPort

struct LocalPort::Connection {
  UniqueFd fd;
  MessageAssembler assembler;
  RunLoop::SourceId source = 0;
};

LocalPort::LocalPort(std::string name, Handler handler, RunLoop& loop)
    : name_(std::move(name)), handler_(std::move(handler)), loop_(loop) {}

std::unique_ptr<LocalPort> LocalPort::create(std::string_view name, Handler handler,
                                             RunLoop& loop, std::error_code& error) {
  error.clear();
  if (!runtime::is_valid_name(name)) {
    error = std::make_error_code(std::errc::invalid_argument);
    return nullptr;
  }
  auto path = runtime::socket_path(socket_file_name(name), error);
  if (!path) return nullptr;

  std::unique_ptr<LocalPort> port(new LocalPort(std::string(name), std::move(handler), loop));
  // The owner holds a lock beside the socket for its whole life. The kernel drops it when the
  // owner dies, so a held lock means a live owner and a free one means any socket is stale.
  fs::path lock_path = path->parent_path() / (std::string(name) + ".lock");
  port->owner_lock_ = files::FileLock::acquire(lock_path, false, error);
  if (!port->owner_lock_) {
    if (error == std::errc::resource_unavailable_try_again ||
        error == std::errc::operation_would_block) {
      error = std::make_error_code(std::errc::address_in_use);
    }
    return nullptr;
  }
  // Should the lock file have been removed under a live owner, its socket still answers.
  std::error_code probe_error;
  if (connect_to(*path, probe_error)) {
    error = std::make_error_code(std::errc::address_in_use);
    return nullptr;
  }
  if (::unlink(path->c_str()) != 0 && errno != ENOENT) {
    error = errno_code();
    return nullptr;
  }

  port->listener_ = unix_socket::make_socket(SOCK_SEQPACKET, error);
  if (!port->listener_) return nullptr;
  sockaddr_un address{};
  socklen_t length = 0;
  unix_socket::make_address(*path, address, length);
  if (::bind(port->listener_.get(), reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      ::chmod(path->c_str(), 0600) != 0 || ::listen(port->listener_.get(), kListenBacklog) != 0) {
    error = errno_code();
    ::unlink(path->c_str());
    return nullptr;
  }
  port->socket_path_ = *path;
  LocalPort* self = port.get();
  port->listener_source_ =
      loop.add_fd(port->listener_.get(), POLLIN, [self](short) { self->accept_connections(); });
  return port;
}

LocalPort::~LocalPort() {
  for (auto& [id, connection] : connections_) loop_.remove_fd(id);
  connections_.clear();
  if (listener_source_ != 0) loop_.remove_fd(listener_source_);
  // The lock is still held here, so the socket file cannot belong to anyone else yet.
  if (!socket_path_.empty()) ::unlink(socket_path_.c_str());
}

void LocalPort::accept_connections() {
  while (true) {
    UniqueFd fd(::accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (!fd) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;  // EAGAIN: no more waiting; anything else: try again at the next wake-up
    }
    if (unix_socket::peer_uid(fd.get()) != static_cast<long>(::geteuid())) continue;
    if (connections_.size() >= kMaxConnections) {
      std::fprintf(stderr, "port %s: too many connections, one refused\n", name_.c_str());
      continue;
    }
    auto connection = std::make_unique<Connection>();
    connection->fd = std::move(fd);
    Connection* raw = connection.get();
    RunLoop::SourceId id =
        loop_.add_fd(raw->fd.get(), POLLIN, [this, raw](short) { read_connection(raw->source); });
    raw->source = id;
    connections_.emplace(id, std::move(connection));
  }
}

void LocalPort::close_connection(RunLoop::SourceId id) {
  loop_.remove_fd(id);
  connections_.erase(id);
}

void LocalPort::read_connection(RunLoop::SourceId id) {
  auto it = connections_.find(id);
  if (it == connections_.end()) return;
  Connection& connection = *it->second;
  std::string_view packet;
  for (int turn = 0; turn < kPacketsPerTurn; ++turn) {
    IoResult io = unix_socket::receive_packet(connection.fd.get(), kMaxPacket, receive_buffer_, packet);
    if (io == IoResult::WouldBlock) return;
    if (io != IoResult::Done) {
      close_connection(id);
      return;
    }
    switch (connection.assembler.feed(packet)) {
      case MessageAssembler::Result::Incomplete:
        break;
      case MessageAssembler::Result::Malformed:
        std::fprintf(stderr, "port %s: malformed packet, connection closed\n", name_.c_str());
        close_connection(id);
        return;
      case MessageAssembler::Result::Complete:
        if (!answer(connection, connection.assembler.take())) {
          close_connection(id);
          return;
        }
        break;
    }
  }
}

bool LocalPort::answer(Connection& connection, Message request) {
  if (request.kind != FrameKind::Request) return false;
  std::optional<std::string> data = handler_(request.id, request.payload);
  if ((request.flags & kFlagWantsReply) == 0) return true;

  Message reply;
  reply.kind = data ? FrameKind::Reply : FrameKind::NoReply;
  reply.id = request.id;
  reply.sequence = request.sequence;
  if (data) {
    if (data->size() > kMaxPayload) {
      std::fprintf(stderr, "port %s: reply of %zu bytes to message %d is too large\n",
                   name_.c_str(), data->size(), request.id);
      return false;
    }
    reply.payload = std::move(*data);
  }
  auto deadline = Clock::now() + kReplyHandOverTimeout;
  for (const std::string& packet : encode_message(reply)) {
    while (true) {
      IoResult io = unix_socket::send_packet(connection.fd.get(), packet);
      if (io == IoResult::Done) break;
      if (io != IoResult::WouldBlock) return false;
      if (unix_socket::wait_until(connection.fd.get(), POLLOUT, deadline) != WaitResult::Ready) {
        return false;
      }
    }
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// RemotePort

std::optional<RemotePort> RemotePort::open(std::string_view name, std::error_code& error) {
  error.clear();
  if (!runtime::is_valid_name(name)) {
    error = std::make_error_code(std::errc::invalid_argument);
    return std::nullopt;
  }
  auto path = runtime::socket_path(socket_file_name(name), error);
  if (!path) return std::nullopt;
  UniqueFd fd = connect_to(*path, error);
  if (!fd) return std::nullopt;
  return RemotePort(std::string(name), *path, std::move(fd));
}

Reply RemotePort::fail(SendStatus status) {
  // Whatever was left half-sent or half-received would confuse the next exchange.
  fd_.reset();
  return Reply{status, std::nullopt};
}

Reply RemotePort::send(std::int32_t id, std::string_view payload,
                       std::chrono::milliseconds send_timeout,
                       std::chrono::milliseconds receive_timeout, bool wait_for_reply) {
  if (payload.size() > kMaxPayload) return Reply{SendStatus::PayloadTooLarge, std::nullopt};
  if (!fd_) {
    std::error_code error;
    fd_ = connect_to(path_, error);
    if (!fd_) return Reply{SendStatus::InvalidPort, std::nullopt};
  }
  Message request;
  request.kind = FrameKind::Request;
  request.flags = wait_for_reply ? kFlagWantsReply : 0;
  request.id = id;
  request.sequence = next_sequence_++;
  request.payload.assign(payload);
  SendStatus sent = send_message(request, send_timeout);
  if (sent != SendStatus::Success) return fail(sent);
  if (!wait_for_reply) return Reply{SendStatus::Success, std::nullopt};
  return receive_reply(request.sequence, receive_timeout);
}

SendStatus RemotePort::send_message(const Message& message, std::chrono::milliseconds timeout) {
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
