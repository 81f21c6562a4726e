// Notifications: a local notification centre inside one program, and distributed
// notifications (name, object) between the programs of one user.
//
// A distributed observer owns a datagram socket "<pid>-<random>.notify" in the runtime folder;
// posting sends the notification to every such socket there, the poster's own included.
// Sockets whose owner died are removed by the next post that finds them.
//
// Datagram layout (integers little-endian): magic "KEPN", version 1, one reserved zero byte,
// u16 name length, u16 object length, then the name and the object bytes. The lengths must add
// up to the datagram's size exactly.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/runloop.h"
#include "platform/unique_fd.h"

namespace platform::notify {

inline constexpr std::size_t kMaxNameLength = 255;
inline constexpr std::size_t kMaxObjectLength = 1024;

struct Notification {
  std::string name;
  std::string object;
  bool operator==(const Notification&) const = default;
};

using Observer = std::function<void(const Notification&)>;
using ObserverId = std::uint64_t;

// Observers by name, optionally only for one object. Callbacks run synchronously in post(), in
// the order they were added; they may add or remove observers.
class NotificationCenter {
 public:
  // The program's own centre, for use on its main thread.
  static NotificationCenter& local();

  ObserverId add_observer(std::string name, std::optional<std::string> object, Observer observer);
  void remove_observer(ObserverId id);
  void post(const Notification& notification);
  std::size_t observer_count() const { return observers_.size(); }

 private:
  struct Entry {
    ObserverId id;
    std::string name;
    std::optional<std::string> object;
    std::shared_ptr<Observer> callback;
  };
  std::vector<Entry> observers_;
  ObserverId next_id_ = 1;
};

// Encodes a notification as one datagram; nullopt when the name is empty or a part is too long.
std::optional<std::string> encode(const Notification& notification);
// nullopt for anything that is not exactly one well-formed datagram.
std::optional<Notification> decode(std::string_view datagram);

// Posts to every observing program of this user. Returns the number of programs reached;
// nullopt with `error` set when the notification is invalid, the runtime folder is refused, or
// a live observer could not be reached.
std::optional<std::size_t> post_distributed(const Notification& notification,
                                            std::error_code& error);

// Receives distributed notifications on a run loop and hands them to its observers.
class DistributedCenter {
 public:
  static std::unique_ptr<DistributedCenter> create(RunLoop& loop, std::error_code& error);
  ~DistributedCenter();
  DistributedCenter(const DistributedCenter&) = delete;
  DistributedCenter& operator=(const DistributedCenter&) = delete;

  ObserverId add_observer(std::string name, std::optional<std::string> object, Observer observer) {
    return observers_.add_observer(std::move(name), std::move(object), std::move(observer));
  }
  void remove_observer(ObserverId id) { observers_.remove_observer(id); }

 private:
  explicit DistributedCenter(RunLoop& loop) : loop_(loop) {}
  void receive();

  RunLoop& loop_;
  UniqueFd socket_;
  std::string socket_path_;
  RunLoop::SourceId source_ = 0;
  NotificationCenter observers_;
};

}  // namespace platform::notify
