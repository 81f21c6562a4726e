// The serving side of message ports: accepting connections, reading requests, handing replies
// over as each client takes them, and closing connections that stall.
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <vector>

#include "platform/ports.h"
#include "platform/ports_connect.h"
#include "platform/runtime_dir.h"
#include "platform/unix_socket.h"

namespace platform::ports {

namespace fs = std::filesystem;
using unix_socket::IoResult;

namespace {

// Packets handled per wake-up of one connection, so one busy client cannot starve the others.
constexpr int kPacketsPerTurn = 16;
constexpr int kListenBacklog = 64;
// Time-outs are checked this many times per shortest time-out, never more than every 10 ms.
constexpr int kChecksPerTimeout = 4;
constexpr std::chrono::milliseconds kShortestCheckInterval(10);

std::error_code errno_code() { return {errno, std::generic_category()}; }

// True when a packet (or the end of the connection) waits to be read.
bool has_input(int fd) {
  pollfd entry{fd, POLLIN, 0};
  return ::poll(&entry, 1, 0) > 0;
}

}  // namespace

struct LocalPort::Connection {
  UniqueFd fd;
  RunLoop::SourceId source = 0;
  MessageAssembler assembler;
  // Packets of the reply the client has not taken yet; while any are left, nothing is read.
  std::deque<std::string> outbox;
  // When the connection is closed unless it makes progress: the idle time-out while the
  // port waits for a request, the reply time-out while a reply waits to be taken.
  Clock::time_point deadline;
};

LocalPort::LocalPort(std::string name, Handler handler, RunLoop& loop,
                     const LocalPortOptions& options)
    : name_(std::move(name)),
      handler_(std::move(handler)),
      loop_(loop),
      options_(options),
      refused_log_("port " + name_, "connections refused, all busy with replies",
                   options.log_interval),
      accept_log_("port " + name_, "cannot accept connections, pausing", options.log_interval) {}

std::unique_ptr<LocalPort> LocalPort::create(std::string_view name, Handler handler,
                                             RunLoop& loop, std::error_code& error,
                                             const LocalPortOptions& options) {
  error.clear();
  if (!runtime::is_valid_name(name)) {
    error = std::make_error_code(std::errc::invalid_argument);
    return nullptr;
  }
  auto path = runtime::socket_path(socket_file_name(name), error);
  if (!path) return nullptr;

  std::unique_ptr<LocalPort> port(
      new LocalPort(std::string(name), std::move(handler), loop, options));
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
  port->watch_listener();
  return port;
}

LocalPort::~LocalPort() {
  for (auto& [id, connection] : connections_) loop_.remove_fd(id);
  connections_.clear();
  if (listener_source_ != 0) loop_.remove_fd(listener_source_);
  if (backoff_timer_ != 0) loop_.cancel_timer(backoff_timer_);
  if (sweep_timer_ != 0) loop_.cancel_timer(sweep_timer_);
  // The lock is still held here, so the socket file cannot belong to anyone else yet.
  if (!socket_path_.empty()) ::unlink(socket_path_.c_str());
}

void LocalPort::watch_listener() {
  listener_source_ = loop_.add_fd(listener_.get(), POLLIN, [this](short) { accept_connections(); });
}

// The connection that failed stays queued, so the listener stays readable: polling it again at
// once would spin. It rests a while instead, and connections closing meanwhile free room.
void LocalPort::rest_listener(int accept_errno) {
  accept_log_.count(std::strerror(accept_errno));
  loop_.remove_fd(listener_source_);
  listener_source_ = 0;
  backoff_timer_ = loop_.add_timer(options_.accept_backoff, [this] {
    backoff_timer_ = 0;
    watch_listener();
  });
}

void LocalPort::accept_connections() {
  while (true) {
    UniqueFd fd(::accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (!fd) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) rest_listener(errno);
      return;
    }
    if (unix_socket::peer_uid(fd.get()) != static_cast<long>(::geteuid())) continue;
    if (!make_room()) {
      refused_log_.count();
      continue;
    }
    add_connection(std::move(fd));
  }
}

// At the limit the connection idle longest gives way; false when every one is busy with a
// reply or a request.
bool LocalPort::make_room() {
  if (connections_.size() < options_.max_connections) return true;
  // Connections with something to read are served first, as the loop would next: clients
  // that hung up after their reply free their place that way.
  std::vector<RunLoop::SourceId> waiting;
  for (const auto& [id, connection] : connections_) {
    if (connection->outbox.empty() && has_input(connection->fd.get())) waiting.push_back(id);
  }
  for (RunLoop::SourceId id : waiting) on_connection_event(id, POLLIN);
  if (connections_.size() < options_.max_connections) return true;

  auto oldest = connections_.end();
  for (auto it = connections_.begin(); it != connections_.end(); ++it) {
    const Connection& candidate = *it->second;
    if (!candidate.outbox.empty() || has_input(candidate.fd.get())) continue;
    if (oldest == connections_.end() || candidate.deadline < oldest->second->deadline) oldest = it;
  }
  if (oldest == connections_.end()) return false;
  close_connection(oldest->first);
  return true;
}

void LocalPort::add_connection(UniqueFd fd) {
  auto connection = std::make_unique<Connection>();
  connection->fd = std::move(fd);
  connection->deadline = Clock::now() + options_.idle_timeout;
  Connection* raw = connection.get();
  raw->source = loop_.add_fd(raw->fd.get(), POLLIN,
                             [this, raw](short revents) { on_connection_event(raw->source, revents); });
  connections_.emplace(raw->source, std::move(connection));
  if (sweep_timer_ == 0) {
    auto shortest = std::min(options_.idle_timeout, options_.reply_timeout);
    auto interval = std::max(kShortestCheckInterval,
                             std::chrono::milliseconds(shortest.count() / kChecksPerTimeout));
    sweep_timer_ = loop_.add_timer(interval, [this] { close_timed_out_connections(); }, interval);
  }
}

void LocalPort::close_connection(RunLoop::SourceId id) {
  loop_.remove_fd(id);
  connections_.erase(id);
  if (connections_.empty() && sweep_timer_ != 0) {
    loop_.cancel_timer(sweep_timer_);
    sweep_timer_ = 0;
  }
}

void LocalPort::close_timed_out_connections() {
  Clock::time_point now = Clock::now();
  std::vector<RunLoop::SourceId> expired;
  for (const auto& [id, connection] : connections_) {
    if (now < connection->deadline) continue;
    // A request that arrived just now is read rather than dropped unanswered.
    if (connection->outbox.empty() && has_input(connection->fd.get())) continue;
    expired.push_back(id);
  }
  for (RunLoop::SourceId id : expired) close_connection(id);
}

void LocalPort::on_connection_event(RunLoop::SourceId id, short) {
  auto it = connections_.find(id);
  if (it == connections_.end()) return;
  Connection& connection = *it->second;
  bool keep = connection.outbox.empty() ? read_requests(connection) : flush_reply(connection);
  if (!keep) close_connection(id);
}

bool LocalPort::read_requests(Connection& connection) {
  std::string_view packet;
  for (int turn = 0; turn < kPacketsPerTurn; ++turn) {
    IoResult io = unix_socket::receive_packet(connection.fd.get(), kMaxPacket, receive_buffer_, packet);
    if (io == IoResult::WouldBlock) return true;
    if (io != IoResult::Done) return false;
    connection.deadline = Clock::now() + options_.idle_timeout;
    switch (connection.assembler.feed(packet)) {
      case MessageAssembler::Result::Incomplete:
        break;
      case MessageAssembler::Result::Malformed:
        std::fprintf(stderr, "port %s: malformed packet, connection closed\n", name_.c_str());
        return false;
      case MessageAssembler::Result::Complete:
        if (!answer(connection, connection.assembler.take())) return false;
        if (!connection.outbox.empty()) return true;  // the next request waits for the reply
        break;
    }
  }
  return true;
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
    if (data->size() > kMaxReplyPayload) {
      std::fprintf(stderr, "port %s: reply of %zu bytes to message %d is too large\n",
                   name_.c_str(), data->size(), request.id);
      return false;
    }
    reply.payload = std::move(*data);
  }
  for (std::string& packet : encode_message(reply)) connection.outbox.push_back(std::move(packet));
  connection.deadline = Clock::now() + options_.reply_timeout;
  return flush_reply(connection);
}

// Sends what the socket takes now; the rest goes when the loop sees the socket writable.
bool LocalPort::flush_reply(Connection& connection) {
  while (!connection.outbox.empty()) {
    IoResult io = unix_socket::send_packet(connection.fd.get(), connection.outbox.front());
    if (io == IoResult::WouldBlock) {
      loop_.set_fd_events(connection.source, POLLOUT);
      return true;
    }
    if (io != IoResult::Done) return false;
    connection.outbox.pop_front();
  }
  loop_.set_fd_events(connection.source, POLLIN);
  connection.deadline = Clock::now() + options_.idle_timeout;
  return true;
}

}  // namespace platform::ports
