// Named message ports between the programs of one user (Unix SOCK_SEQPACKET sockets in the
// runtime folder, see runtime_dir.h; wire format in port_frame.h).
//
// A LocalPort serves requests (int32 id, bytes) from a run loop, one at a time: a request is
// answered before the next is read. A RemotePort sends requests to a local port by name and
// waits for the reply with separate send and receive time-outs.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/files.h"
#include "platform/port_frame.h"
#include "platform/runloop.h"
#include "platform/unique_fd.h"

namespace platform::ports {

// Outcome of a send, with stable numbers for tools and logs.
enum class SendStatus : int {
  Success = 0,
  SendTimeout = -1,     // the request could not be handed over in time
  ReceiveTimeout = -2,  // no reply came in time
  InvalidPort = -3,     // nobody serves the name (any more)
  TransportError = -4,  // the connection failed in another way
  ProtocolError = -5,   // the other side sent something that is not a valid message
  PayloadTooLarge = -6, // the request is above kMaxPayload
};

const char* describe(SendStatus status);

struct Reply {
  SendStatus status = SendStatus::Success;
  // The reply bytes; nullopt when the server's handler gave no data ("no reply"), which is
  // not the same as an empty reply. Also nullopt when status is not Success.
  std::optional<std::string> data;
};

// Answers a request: the reply bytes, or nullopt for no reply data.
using Handler = std::function<std::optional<std::string>(std::int32_t id, std::string_view payload)>;

// Name of the socket file of a port in the runtime folder.
std::string socket_file_name(std::string_view port_name);

class LocalPort {
 public:
  // Serves `name` from `loop` until destroyed. Fails with std::errc::address_in_use when a live
  // process serves the name; a socket left behind by a dead one is replaced. Other errors come
  // from the runtime folder or the socket calls; an invalid name is std::errc::invalid_argument.
  static std::unique_ptr<LocalPort> create(std::string_view name, Handler handler, RunLoop& loop,
                                           std::error_code& error);
  ~LocalPort();
  LocalPort(const LocalPort&) = delete;
  LocalPort& operator=(const LocalPort&) = delete;

  const std::string& name() const { return name_; }

 private:
  struct Connection;

  LocalPort(std::string name, Handler handler, RunLoop& loop);
  void accept_connections();
  void read_connection(RunLoop::SourceId id);
  void close_connection(RunLoop::SourceId id);
  bool answer(Connection& connection, Message request);

  std::string name_;
  Handler handler_;
  RunLoop& loop_;
  std::filesystem::path socket_path_;
  std::optional<files::FileLock> owner_lock_;
  UniqueFd listener_;
  RunLoop::SourceId listener_source_ = 0;
  std::map<RunLoop::SourceId, std::unique_ptr<Connection>> connections_;
  std::string receive_buffer_;
};

class RemotePort {
 public:
  // Connects to the port `name`. Fails at once, with std::errc::connection_refused, when
  // nobody serves it.
  static std::optional<RemotePort> open(std::string_view name, std::error_code& error);

  RemotePort(RemotePort&&) noexcept = default;
  RemotePort& operator=(RemotePort&&) noexcept = default;

  // Sends a request and, when `wait_for_reply`, waits for its reply. The whole request must be
  // handed over within `send_timeout` and the reply must arrive within `receive_timeout` after
  // that. After a failure the connection is dropped and the next send connects again.
  Reply send(std::int32_t id, std::string_view payload, std::chrono::milliseconds send_timeout,
             std::chrono::milliseconds receive_timeout, bool wait_for_reply = true);

  const std::string& name() const { return name_; }

 private:
  RemotePort(std::string name, std::filesystem::path path, UniqueFd fd)
      : name_(std::move(name)), path_(std::move(path)), fd_(std::move(fd)) {}
  Reply fail(SendStatus status);
  SendStatus send_message(const Message& message, std::chrono::milliseconds timeout);
  Reply receive_reply(std::uint32_t sequence, std::chrono::milliseconds timeout);

  std::string name_;
  std::filesystem::path path_;
  UniqueFd fd_;
  std::uint32_t next_sequence_ = 1;
  std::string receive_buffer_;
};

}  // namespace platform::ports
