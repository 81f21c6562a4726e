// The input-method server's listener: the name taken under its owner lock, connections
// accepted from this user's processes, each served on the run loop.
#include <malloc.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <vector>

#include "platform/files.h"
#include "platform/imk/input_method.h"
#include "platform/imk/server_connection.h"
#include "platform/imk/wire.h"
#include "platform/ports_connect.h"
#include "platform/ports_throttled_log.h"
#include "platform/runtime_dir.h"
#include "platform/unix_socket.h"

namespace platform::imk {
namespace {

namespace fs = std::filesystem;

constexpr int kListenBacklog = 64;
// How long after contexts or a connection holding memory closed the server trims its heap.
constexpr std::chrono::milliseconds kTrimDelay{200};

std::error_code errno_code() { return {errno, std::generic_category()}; }

// True when a packet (or the end of the connection) waits to be read.
bool has_input(int fd) {
  pollfd entry{fd, POLLIN, 0};
  return ::poll(&entry, 1, 0) > 0;
}

pid_t peer_pid(int fd) {
  ucred credentials{};
  socklen_t size = sizeof credentials;
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return 0;
  return credentials.pid;
}

class ServerImpl final : public Server {
 public:
  ServerImpl(InputMethod& method, RunLoop& loop, const ServerOptions& options)
      : method_(method),
        loop_(loop),
        options_(options),
        refused_log_("input method", "connections refused, every one has said hello",
                     options.log_interval),
        accept_log_("input method", "cannot accept connections, pausing", options.log_interval) {}
  ~ServerImpl() override;

  bool listen(std::string_view name, std::error_code& error);
  std::size_t context_count() const override;
  std::size_t contexts_of(pid_t peer) const;

 private:
  using Clock = ServerConnection::Clock;

  void pause_accepting(int accept_errno);
  void accept_connections();
  bool close_idlest_stranger();
  void on_connection_event(RunLoop::SourceId id);
  void close_connection(RunLoop::SourceId id);
  void close_overdue_connections();
  void arm_sweep();
  void give_memory_back();

  InputMethod& method_;
  RunLoop& loop_;
  const ServerOptions options_;
  ports::ThrottledLog refused_log_;
  ports::ThrottledLog accept_log_;
  std::optional<files::FileLock> owner_lock_;
  fs::path socket_path_;
  UniqueFd listener_;
  RunLoop::SourceId listener_source_ = 0;
  RunLoop::SourceId backoff_timer_ = 0;
  // The timer closing overdue connections, and when it fires.
  RunLoop::SourceId sweep_timer_ = 0;
  Clock::time_point sweep_due_;
  RunLoop::SourceId trim_timer_ = 0;
  std::map<RunLoop::SourceId, std::unique_ptr<ServerConnection>> connections_;
};

// The same ownership rule as message ports: the owner holds a lock beside the socket for its
// life, so a held lock means a live server and a free one means any socket there is stale.
bool ServerImpl::listen(std::string_view name, std::error_code& error) {
  if (!runtime::is_valid_name(name)) {
    error = std::make_error_code(std::errc::invalid_argument);
    return false;
  }
  auto path = runtime::socket_path(wire::socket_file_name(name), error);
  if (!path) return false;
  owner_lock_ = files::FileLock::acquire(path->parent_path() / wire::lock_file_name(name), false,
                                         error);
  if (!owner_lock_) {
    if (error == std::errc::resource_unavailable_try_again ||
        error == std::errc::operation_would_block) {
      error = std::make_error_code(std::errc::address_in_use);
    }
    return false;
  }
  // Should the lock file have been removed under a live server, its socket still answers.
  std::error_code probe_error;
  if (ports::connect_to(*path, probe_error)) {
    error = std::make_error_code(std::errc::address_in_use);
    return false;
  }
  if (::unlink(path->c_str()) != 0 && errno != ENOENT) {
    error = errno_code();
    return false;
  }
  listener_ = unix_socket::make_socket(SOCK_SEQPACKET, error);
  if (!listener_) return false;
  sockaddr_un address{};
  socklen_t length = 0;
  unix_socket::make_address(*path, address, length);
  if (::bind(listener_.get(), reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      ::chmod(path->c_str(), 0600) != 0 || ::listen(listener_.get(), kListenBacklog) != 0) {
    error = errno_code();
    ::unlink(path->c_str());
    return false;
  }
  socket_path_ = *path;
  listener_source_ = loop_.add_fd(listener_.get(), POLLIN, [this](short) { accept_connections(); });
  return true;
}

ServerImpl::~ServerImpl() {
  for (auto& [id, connection] : connections_) loop_.remove_fd(id);
  connections_.clear();
  if (listener_source_ != 0) loop_.remove_fd(listener_source_);
  if (backoff_timer_ != 0) loop_.cancel_timer(backoff_timer_);
  if (sweep_timer_ != 0) loop_.cancel_timer(sweep_timer_);
  if (trim_timer_ != 0) loop_.cancel_timer(trim_timer_);
  // The lock is still held here, so the socket file cannot belong to anyone else yet.
  if (!socket_path_.empty()) ::unlink(socket_path_.c_str());
}

std::size_t ServerImpl::context_count() const {
  std::size_t count = 0;
  for (const auto& [id, connection] : connections_) count += connection->context_count();
  return count;
}

std::size_t ServerImpl::contexts_of(pid_t peer) const {
  std::size_t count = 0;
  for (const auto& [id, connection] : connections_) {
    if (connection->peer() == peer) count += connection->context_count();
  }
  return count;
}

// The connection that failed stays queued, so the listener stays readable: polling it again at
// once would spin. The listener is not watched for a while instead; connections closing
// meanwhile free descriptors.
void ServerImpl::pause_accepting(int accept_errno) {
  accept_log_.count(std::strerror(accept_errno));
  loop_.set_fd_events(listener_source_, 0);
  backoff_timer_ = loop_.add_timer(options_.accept_backoff, [this] {
    backoff_timer_ = 0;
    loop_.set_fd_events(listener_source_, POLLIN);
  });
}

void ServerImpl::accept_connections() {
  while (true) {
    UniqueFd fd(::accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (!fd) {
      const int failure = errno;
      if (failure == EINTR || failure == ECONNABORTED) continue;
      if (failure == EAGAIN || failure == EWOULDBLOCK) break;
      if (failure == EMFILE || failure == ENFILE) {
        // Out of descriptors accept fails even with nobody waiting: that is the end of the
        // queue, not a failure.
        if (!has_input(listener_.get())) break;
        if (close_idlest_stranger()) continue;
      }
      pause_accepting(failure);
      break;
    }
    if (unix_socket::peer_uid(fd.get()) != static_cast<long>(::geteuid())) continue;
    if (connections_.size() >= options_.max_connections && !close_idlest_stranger()) {
      refused_log_.count();
      continue;
    }
    pid_t pid = peer_pid(fd.get());
    auto connection = std::make_unique<ServerConnection>(std::move(fd), pid, method_, options_);
    connection->set_process_context_counter([this](pid_t peer) { return contexts_of(peer); });
    int descriptor = connection->descriptor();
    auto source = std::make_shared<RunLoop::SourceId>(0);
    *source = loop_.add_fd(descriptor, POLLIN,
                           [this, source](short) { on_connection_event(*source); });
    connections_.emplace(*source, std::move(connection));
  }
  arm_sweep();
}

// At the connection limit, or out of descriptors, the connection that never said hello and has
// been idle longest gives way: it serves no application yet, and a flood of such connections
// must not lock applications out. One with something to read is left to be read. False when
// none can go.
bool ServerImpl::close_idlest_stranger() {
  auto idlest = connections_.end();
  for (auto it = connections_.begin(); it != connections_.end(); ++it) {
    const ServerConnection& candidate = *it->second;
    if (candidate.greeted() || has_input(candidate.descriptor())) continue;
    if (idlest == connections_.end() ||
        candidate.last_activity() < idlest->second->last_activity()) {
      idlest = it;
    }
  }
  if (idlest == connections_.end()) return false;
  close_connection(idlest->first);
  return true;
}

void ServerImpl::on_connection_event(RunLoop::SourceId id) {
  auto found = connections_.find(id);
  if (found == connections_.end()) return;
  ServerConnection& connection = *found->second;
  const std::size_t contexts = connection.context_count();
  if (!connection.on_readable()) {
    close_connection(id);
    return;
  }
  if (connection.context_count() < contexts) give_memory_back();
  arm_sweep();
}

void ServerImpl::close_connection(RunLoop::SourceId id) {
  auto found = connections_.find(id);
  if (found == connections_.end()) return;
  loop_.remove_fd(id);
  const bool held_memory = found->second->context_count() > 0 || found->second->in_message();
  // Destroying the connection destroys its contexts' controllers.
  connections_.erase(found);
  if (held_memory) give_memory_back();
}

// Controllers are small heap blocks that the allocator keeps once freed, so an application
// that opened many contexts and left would leave the server that much bigger for good. A trim
// hands the pages back (about half a millisecond); it waits a moment, so that a burst of
// closings costs one trim, taken after the burst rather than inside it.
void ServerImpl::give_memory_back() {
  if (trim_timer_ != 0) return;
  trim_timer_ = loop_.add_timer(kTrimDelay, [this] {
    trim_timer_ = 0;
    ::malloc_trim(0);
  });
}

// Wakes the loop when the earliest deadline of a connection comes, and not before.
void ServerImpl::arm_sweep() {
  std::optional<Clock::time_point> earliest;
  for (const auto& [id, connection] : connections_) {
    auto due = connection->deadline();
    if (due && (!earliest || *due < *earliest)) earliest = due;
  }
  if (!earliest) return;  // an armed timer fires once for nothing
  if (sweep_timer_ != 0) {
    if (sweep_due_ <= *earliest) return;
    loop_.cancel_timer(sweep_timer_);
  }
  auto delay = std::chrono::ceil<std::chrono::milliseconds>(*earliest - Clock::now());
  sweep_due_ = *earliest;
  sweep_timer_ = loop_.add_timer(std::max(delay, std::chrono::milliseconds(0)), [this] {
    sweep_timer_ = 0;
    close_overdue_connections();
  });
}

void ServerImpl::close_overdue_connections() {
  const Clock::time_point now = Clock::now();
  std::vector<RunLoop::SourceId> overdue;
  for (const auto& [id, connection] : connections_) {
    auto due = connection->deadline();
    if (due && *due <= now) overdue.push_back(id);
  }
  for (RunLoop::SourceId id : overdue) {
    auto found = connections_.find(id);
    if (found == connections_.end()) continue;
    // What arrived just now is read first: it may be the awaited hello or end of a message.
    if (has_input(found->second->descriptor())) {
      on_connection_event(id);
      found = connections_.find(id);
      if (found == connections_.end()) continue;
      auto due = found->second->deadline();
      if (!due || *due > now) continue;
    }
    close_connection(id);
  }
  arm_sweep();
}

}  // namespace

std::unique_ptr<Server> Server::create(std::string_view connection_name, InputMethod& method,
                                       RunLoop& loop, std::error_code& error,
                                       const ServerOptions& options) {
  error.clear();
  auto server = std::make_unique<ServerImpl>(method, loop, options);
  if (!server->listen(connection_name, error)) return nullptr;
  return server;
}

}  // namespace platform::imk
