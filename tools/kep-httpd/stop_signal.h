// The server's end, awaited by the connections that hold a reply back (slow, never), so that
// the server ends at once instead of after their waits.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kep_httpd {

class StopSignal {
 public:
  void stop() {
    {
      std::lock_guard lock(mutex_);
      stopped_ = true;
    }
    changed_.notify_all();
  }
  // Waits `duration` or until the end; true when the server is ending.
  bool wait_for(std::chrono::milliseconds duration) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, duration, [this] { return stopped_; });
  }
  void wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stopped_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool stopped_ = false;
};

}  // namespace kep_httpd
