#include "platform/notify.h"

#include <poll.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "platform/files.h"
#include "platform/runtime_dir.h"
#include "platform/unix_socket.h"

namespace platform::notify {

namespace fs = std::filesystem;

namespace {

constexpr char kMagic[4] = {'K', 'E', 'P', 'N'};
constexpr std::uint8_t kVersion = 1;
constexpr std::size_t kHeaderSize = 10;
constexpr std::size_t kMaxDatagram = kHeaderSize + kMaxNameLength + kMaxObjectLength;
constexpr std::string_view kSuffix = ".notify";
// A busy observer gets this long to make room before the post gives up on it.
constexpr std::chrono::milliseconds kDeliveryTimeout(1000);

bool matches(const std::optional<std::string>& wanted, const std::string& object) {
  return !wanted || *wanted == object;
}

std::uint16_t get_u16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

void put_u16(std::string& out, std::size_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

std::string random_suffix() {
  std::uint64_t bits = 0;
  if (::getrandom(&bits, sizeof bits, 0) != static_cast<ssize_t>(sizeof bits)) {
    bits = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(bits));
  return text;
}

enum class Delivery { Delivered, Stale, Failed };

Delivery deliver(int sender, const fs::path& path, const std::string& datagram) {
  sockaddr_un address{};
  socklen_t length = 0;
  if (!unix_socket::make_address(path, address, length)) return Delivery::Failed;
  auto deadline = unix_socket::Clock::now() + kDeliveryTimeout;
  while (true) {
    ssize_t n = ::sendto(sender, datagram.data(), datagram.size(), MSG_NOSIGNAL,
                         reinterpret_cast<sockaddr*>(&address), length);
    if (n >= 0) return Delivery::Delivered;
    if (errno == EINTR) continue;
    if (errno == ECONNREFUSED || errno == ENOENT) return Delivery::Stale;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return Delivery::Failed;
    // The observer's queue is full; an unconnected sender cannot poll for room in it, so
    // retry briefly until the time-out.
    if (unix_socket::Clock::now() >= deadline) return Delivery::Failed;
    ::usleep(2000);
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// NotificationCenter

NotificationCenter& NotificationCenter::local() {
  static NotificationCenter center;
  return center;
}

ObserverId NotificationCenter::add_observer(std::string name, std::optional<std::string> object,
                                            Observer observer) {
  ObserverId id = next_id_++;
  observers_.push_back(Entry{id, std::move(name), std::move(object),
                             std::make_shared<Observer>(std::move(observer))});
  return id;
}

void NotificationCenter::remove_observer(ObserverId id) {
  std::erase_if(observers_, [id](const Entry& entry) { return entry.id == id; });
}

void NotificationCenter::post(const Notification& notification) {
  // Callbacks may change the list; deliver to those registered when the post began and
  // still registered when their turn comes.
  std::vector<std::pair<ObserverId, std::shared_ptr<Observer>>> due;
  for (const Entry& entry : observers_) {
    if (entry.name == notification.name && matches(entry.object, notification.object)) {
      due.emplace_back(entry.id, entry.callback);
    }
  }
  for (auto& [id, callback] : due) {
    bool still_there = std::any_of(observers_.begin(), observers_.end(),
                                   [id = id](const Entry& entry) { return entry.id == id; });
    if (still_there) (*callback)(notification);
  }
}

// ---------------------------------------------------------------------------------------------
// Wire format

std::optional<std::string> encode(const Notification& notification) {
  if (notification.name.empty() || notification.name.size() > kMaxNameLength ||
      notification.object.size() > kMaxObjectLength) {
    return std::nullopt;
  }
  std::string datagram(kMagic, 4);
  datagram.push_back(static_cast<char>(kVersion));
  datagram.push_back('\0');
  put_u16(datagram, notification.name.size());
  put_u16(datagram, notification.object.size());
  datagram += notification.name;
  datagram += notification.object;
  return datagram;
}

std::optional<Notification> decode(std::string_view datagram) {
  if (datagram.size() < kHeaderSize || datagram.substr(0, 4) != std::string_view(kMagic, 4) ||
      static_cast<std::uint8_t>(datagram[4]) != kVersion) {
    return std::nullopt;
  }
  std::size_t name_length = get_u16(datagram, 6);
  std::size_t object_length = get_u16(datagram, 8);
  if (name_length == 0 || name_length > kMaxNameLength || object_length > kMaxObjectLength ||
      kHeaderSize + name_length + object_length != datagram.size()) {
    return std::nullopt;
  }
  return Notification{std::string(datagram.substr(kHeaderSize, name_length)),
                      std::string(datagram.substr(kHeaderSize + name_length, object_length))};
}

// ---------------------------------------------------------------------------------------------
// Posting

std::optional<std::size_t> post_distributed(const Notification& notification,
                                            std::error_code& error) {
  error.clear();
  auto datagram = encode(notification);
  if (!datagram) {
    error = std::make_error_code(std::errc::invalid_argument);
    return std::nullopt;
  }
  auto folder = runtime::directory(error);
  if (!folder) return std::nullopt;
  auto entries = files::list_directory(*folder, error);
  if (error) return std::nullopt;
  UniqueFd sender = unix_socket::make_socket(SOCK_DGRAM, error);
  if (!sender) return std::nullopt;

  std::size_t reached = 0;
  bool any_failed = false;
  for (const auto& entry : entries) {
    const std::string file = entry.path().filename().string();
    if (file.size() <= kSuffix.size() || !file.ends_with(kSuffix)) continue;
    switch (deliver(sender.get(), entry.path(), *datagram)) {
      case Delivery::Delivered:
        ++reached;
        break;
      case Delivery::Stale:
        // Nobody is bound to it: its owner died without cleaning up.
        ::unlink(entry.path().c_str());
        break;
      case Delivery::Failed:
        any_failed = true;
        break;
    }
  }
  if (any_failed) {
    error = std::make_error_code(std::errc::resource_unavailable_try_again);
    return std::nullopt;
  }
  return reached;
}

// ---------------------------------------------------------------------------------------------
// DistributedCenter

std::unique_ptr<DistributedCenter> DistributedCenter::create(RunLoop& loop, std::error_code& error) {
  error.clear();
  std::unique_ptr<DistributedCenter> center(new DistributedCenter(loop));
  center->socket_ = unix_socket::make_socket(SOCK_DGRAM, error);
  if (!center->socket_) return nullptr;
  for (int attempt = 0; attempt < 8; ++attempt) {
    std::string file = std::to_string(::getpid()) + "-" + random_suffix() + std::string(kSuffix);
    auto path = runtime::socket_path(file, error);
    if (!path) return nullptr;
    sockaddr_un address{};
    socklen_t length = 0;
    unix_socket::make_address(*path, address, length);
    if (::bind(center->socket_.get(), reinterpret_cast<sockaddr*>(&address), length) == 0) {
      ::chmod(path->c_str(), 0600);
      center->socket_path_ = path->string();
      break;
    }
    if (errno != EADDRINUSE) {
      error = {errno, std::generic_category()};
      return nullptr;
    }
  }
  if (center->socket_path_.empty()) {
    error = std::make_error_code(std::errc::address_in_use);
    return nullptr;
  }
  DistributedCenter* self = center.get();
  center->source_ = loop.add_fd(center->socket_.get(), POLLIN, [self](short) { self->receive(); });
  return center;
}

DistributedCenter::~DistributedCenter() {
  if (source_ != 0) loop_.remove_fd(source_);
  if (!socket_path_.empty()) ::unlink(socket_path_.c_str());
}

void DistributedCenter::receive() {
  std::string buffer;
  std::string_view datagram;
  // Bounded per wake-up so that a flood cannot hold the loop.
  for (int turn = 0; turn < 64; ++turn) {
    auto io = unix_socket::receive_packet(socket_.get(), kMaxDatagram, buffer, datagram);
    if (io == unix_socket::IoResult::WouldBlock) return;
    if (io != unix_socket::IoResult::Done) continue;  // oversized or empty: dropped
    if (auto notification = decode(datagram)) {
      observers_.post(*notification);
    } else {
      std::fprintf(stderr, "notify: malformed notification dropped\n");
    }
  }
}

}  // namespace platform::notify
