// The input-method server's listener: the name taken under its owner lock, connections
// accepted from this user's processes, each served on the run loop.
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <map>

#include "platform/files.h"
#include "platform/imk/input_method.h"
#include "platform/imk/server_connection.h"
#include "platform/imk/wire.h"
#include "platform/ports_connect.h"
#include "platform/runtime_dir.h"
#include "platform/unix_socket.h"

namespace platform::imk {
namespace {

namespace fs = std::filesystem;

constexpr int kListenBacklog = 64;
// Applications served at once; one more is turned away.
constexpr std::size_t kMaxConnections = 256;

std::error_code errno_code() { return {errno, std::generic_category()}; }

pid_t peer_pid(int fd) {
  ucred credentials{};
  socklen_t size = sizeof credentials;
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return 0;
  return credentials.pid;
}

class ServerImpl final : public Server {
 public:
  ServerImpl(InputMethod& method, RunLoop& loop) : method_(method), loop_(loop) {}
  ~ServerImpl() override;

  bool listen(std::string_view name, std::error_code& error);
  std::size_t context_count() const override;

 private:
  void accept_connections();
  void on_connection_event(RunLoop::SourceId id);
  void close_connection(RunLoop::SourceId id);

  InputMethod& method_;
  RunLoop& loop_;
  std::optional<files::FileLock> owner_lock_;
  fs::path socket_path_;
  UniqueFd listener_;
  RunLoop::SourceId listener_source_ = 0;
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
  // The lock is still held here, so the socket file cannot belong to anyone else yet.
  if (!socket_path_.empty()) ::unlink(socket_path_.c_str());
}

std::size_t ServerImpl::context_count() const {
  std::size_t count = 0;
  for (const auto& [id, connection] : connections_) count += connection->context_count();
  return count;
}

void ServerImpl::accept_connections() {
  while (true) {
    UniqueFd fd(::accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (!fd) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) {
        std::fprintf(stderr, "input method: cannot accept a connection: %s\n",
                     errno_code().message().c_str());
      }
      return;
    }
    if (unix_socket::peer_uid(fd.get()) != static_cast<long>(::geteuid())) continue;
    if (connections_.size() >= kMaxConnections) {
      std::fprintf(stderr, "input method: %zu applications connected, one more refused\n",
                   connections_.size());
      continue;
    }
    pid_t pid = peer_pid(fd.get());
    auto connection = std::make_unique<ServerConnection>(std::move(fd), pid, method_);
    int descriptor = connection->descriptor();
    auto source = std::make_shared<RunLoop::SourceId>(0);
    *source = loop_.add_fd(descriptor, POLLIN,
                           [this, source](short) { on_connection_event(*source); });
    connections_.emplace(*source, std::move(connection));
  }
}

void ServerImpl::on_connection_event(RunLoop::SourceId id) {
  auto found = connections_.find(id);
  if (found == connections_.end()) return;
  if (!found->second->on_readable()) close_connection(id);
}

void ServerImpl::close_connection(RunLoop::SourceId id) {
  loop_.remove_fd(id);
  // Destroying the connection destroys its contexts' controllers.
  connections_.erase(id);
}

}  // namespace

std::unique_ptr<Server> Server::create(std::string_view connection_name, InputMethod& method,
                                       RunLoop& loop, std::error_code& error) {
  error.clear();
  auto server = std::make_unique<ServerImpl>(method, loop);
  if (!server->listen(connection_name, error)) return nullptr;
  return server;
}

}  // namespace platform::imk
