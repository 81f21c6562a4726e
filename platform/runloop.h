// One poll loop per program: descriptor sources, timers, work handed over from other threads,
// and SIGTERM delivered as the power-off notification.
//
// Sources and timers are added, removed and fired on the loop's thread. perform(),
// perform_and_wait() and stop() may be called from any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/unique_fd.h"

namespace platform {

class RunLoop {
 public:
  using Clock = std::chrono::steady_clock;
  using Callback = std::function<void()>;
  // Receives the poll events that fired (POLLIN, POLLOUT, POLLHUP, ...).
  using FdCallback = std::function<void(short revents)>;
  using SourceId = std::uint64_t;

  RunLoop();
  ~RunLoop();
  RunLoop(const RunLoop&) = delete;
  RunLoop& operator=(const RunLoop&) = delete;

  // Watches `fd` for `events`; the loop does not own the descriptor.
  SourceId add_fd(int fd, short events, FdCallback callback);
  // Changes what a source waits for (POLLIN while reading, POLLOUT while a write is pending).
  void set_fd_events(SourceId id, short events);
  void remove_fd(SourceId id);

  // Fires once after `delay`, then every `repeat` when it is above zero.
  SourceId add_timer(std::chrono::milliseconds delay, Callback callback,
                     std::chrono::milliseconds repeat = std::chrono::milliseconds(0));
  void cancel_timer(SourceId id);

  // Runs until stop(). A stop() that came while the loop was not running ends the next run at
  // once, so a stop requested by a worker before the loop started is never lost.
  void run();
  // Runs until stop() or until `duration` has passed; true when stopped.
  bool run_for(std::chrono::milliseconds duration);
  void stop();

  // Queues `task` to run on the loop's thread. False when the loop is being destroyed.
  bool perform(Callback task);
  // Runs `task` on the loop's thread and waits for it to finish; on the loop's own thread it
  // runs at once. False when the task could not run because the loop is being destroyed.
  bool perform_and_wait(Callback task);

  // Makes SIGTERM call `handler` on this loop's thread (the power-off notification). Only one
  // loop of the program receives it: the last one to ask.
  void on_power_off(Callback handler);

  // The loop's thread is the one running it; while it does not run, the one that created it.
  // A loop handed to another thread to run should get its work through perform() until then.
  bool is_loop_thread() const;

 private:
  struct FdSource {
    int fd;
    short events;
    std::shared_ptr<FdCallback> callback;
  };
  struct Timer {
    Clock::time_point due;
    std::chrono::milliseconds repeat;
    std::shared_ptr<Callback> callback;
  };
  struct Task {
    Callback work;
    // Set for perform_and_wait: 1 when done, -1 when dropped.
    std::shared_ptr<int> outcome;
  };

  bool run_until(std::optional<Clock::time_point> deadline);
  int poll_timeout(std::optional<Clock::time_point> deadline) const;
  void drain_wake();
  void run_tasks();
  void fire_due_timers();
  void wake();

  UniqueFd wake_fd_;
  SourceId next_id_ = 1;
  std::map<SourceId, FdSource> fd_sources_;
  std::map<SourceId, Timer> timers_;
  Callback power_off_handler_;

  std::thread::id owner_thread_;
  std::thread::id running_thread_;
  bool running_ = false;

  mutable std::mutex mutex_;  // guards the fields below
  std::condition_variable task_done_;
  std::deque<Task> tasks_;
  bool stop_requested_ = false;
  bool closing_ = false;
};

}  // namespace platform
