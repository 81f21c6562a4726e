// Named message ports between the programs of one user (Unix SOCK_SEQPACKET sockets in the
// runtime folder, see runtime_dir.h; wire format in port_frame.h).
//
// A LocalPort serves requests (int32 id, bytes) from a run loop. Each connection is served one
// request at a time (its next request is read once its reply is handed over), and replies are
// written as the client takes them, so a slow client never holds up the others. A RemotePort
// sends requests to a local port by name and waits for the reply with separate send and
// receive time-outs.
#pragma once

#include <chrono>
#include <cstddef>
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
#include "platform/ports_connect.h"
#include "platform/ports_throttled_log.h"
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

// How a local port treats its connections. The defaults suit a service; tests shorten them.
struct LocalPortOptions {
  // A connection that sends nothing, or stops inside a message, for this long is closed.
  std::chrono::milliseconds idle_timeout{5000};
  // A connection that has not taken its whole reply this long after it was ready is closed.
  std::chrono::milliseconds reply_timeout{2000};
  // How long the port stops accepting after accept failed (out of descriptors, say): the
  // waiting connection stays queued, and accepting again at once would only spin.
  std::chrono::milliseconds accept_backoff{250};
  // Refused connections and failed accepts are logged at most once per this interval.
  std::chrono::milliseconds log_interval{60000};
  // Connections served at once. At the limit a new connection closes the one idle longest;
  // it is refused only when every connection is busy with a reply.
  std::size_t max_connections = 64;
};

const char* describe(SendStatus status);

// What a failed RemotePort::open means for a send: nobody serves the port (InvalidPort), its
// backlog stayed full for the connect time-out (SendTimeout: the server is not taking
// connections), or another failure (TransportError).
SendStatus open_failure_status(const std::error_code& open_error);

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
                                           std::error_code& error,
                                           const LocalPortOptions& options = {});
  ~LocalPort();
  LocalPort(const LocalPort&) = delete;
  LocalPort& operator=(const LocalPort&) = delete;

  const std::string& name() const { return name_; }

 private:
  struct Connection;
  using Clock = std::chrono::steady_clock;

  LocalPort(std::string name, Handler handler, RunLoop& loop, const LocalPortOptions& options);
  void watch_listener();
  void rest_listener(int accept_errno);
  void accept_connections();
  bool make_room();
  void add_connection(UniqueFd fd);
  void on_connection_event(RunLoop::SourceId id, short revents);
  bool read_requests(Connection& connection);
  bool answer(Connection& connection, Message request);
  bool flush_reply(Connection& connection);
  void close_timed_out_connections();
  void close_connection(RunLoop::SourceId id);

  std::string name_;
  Handler handler_;
  RunLoop& loop_;
  LocalPortOptions options_;
  std::filesystem::path socket_path_;
  std::optional<files::FileLock> owner_lock_;
  UniqueFd listener_;
  RunLoop::SourceId listener_source_ = 0;
  RunLoop::SourceId backoff_timer_ = 0;
  RunLoop::SourceId sweep_timer_ = 0;
  std::map<RunLoop::SourceId, std::unique_ptr<Connection>> connections_;
  std::string receive_buffer_;
  ThrottledLog refused_log_;
  ThrottledLog accept_log_;
};

class RemotePort {
 public:
  // Connects to the port `name`. Fails at once, with std::errc::connection_refused, when
  // nobody serves it. While the server's backlog is full it waits up to `connect_timeout` (not
  // at all when zero), then fails with std::errc::resource_unavailable_try_again; the same
  // bound holds whenever a send connects again.
  static std::optional<RemotePort> open(std::string_view name, std::error_code& error,
                                        std::chrono::milliseconds connect_timeout =
                                            kDefaultConnectTimeout);

  RemotePort(RemotePort&&) noexcept = default;
  RemotePort& operator=(RemotePort&&) noexcept = default;

  // Sends a request and, when `wait_for_reply`, waits for its reply. The whole request must be
  // handed over within `send_timeout` and the reply must arrive within `receive_timeout` after
  // that. After a failure the connection is dropped and the next send connects to the name
  // again, except after a send time-out that handed over no part of the request: the
  // connection holds nothing half-sent then, and is kept.
  Reply send(std::int32_t id, std::string_view payload, std::chrono::milliseconds send_timeout,
             std::chrono::milliseconds receive_timeout, bool wait_for_reply = true);

  // Bytes (with the kernel's bookkeeping) sent on the current connection that the server has
  // not read yet; 0 without a connection.
  std::size_t unread_bytes() const;

  const std::string& name() const { return name_; }

 private:
  RemotePort(std::string name, UniqueFd fd, std::chrono::milliseconds connect_timeout)
      : name_(std::move(name)), fd_(std::move(fd)), connect_timeout_(connect_timeout) {}
  SendStatus reconnect();
  Reply fail(SendStatus status);
  SendStatus send_message(const Message& message, std::chrono::milliseconds timeout,
                          bool& started);
  Reply receive_reply(std::uint32_t sequence, std::chrono::milliseconds timeout);

  std::string name_;
  UniqueFd fd_;
  std::chrono::milliseconds connect_timeout_;
  std::uint32_t next_sequence_ = 1;
  std::string receive_buffer_;
};

}  // namespace platform::ports
