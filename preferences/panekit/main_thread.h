// Work a worker thread hands to the program's run loop and waits for, until the pane that
// started the worker lets go of it: after close() no handed task runs, and workers waiting for
// one return at once, so the main thread may join a worker without both waiting on each other.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/runloop.h"

namespace panekit {

class MainThread {
 public:
  explicit MainThread(platform::RunLoop& loop);

  // From any thread: runs `task` on the loop's thread (at once when called there) and waits
  // until it ran. False, the task not run, once closed.
  bool run(std::function<void()> task) const;
  // From any thread: queues `task` for the loop's thread, where it runs unless closed by then.
  void post(std::function<void()> task) const;
  // On the loop's thread: no task runs from now on; waiting workers return.
  void close();
  bool is_closed() const;

  platform::RunLoop& loop() const { return loop_; }

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable changed;
    bool closed = false;
  };
  platform::RunLoop& loop_;
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace panekit
