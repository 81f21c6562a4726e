// Waiting for what a run loop's timers bring about: the loop runs until the end condition
// holds, within a bound generous enough for a loaded machine, so no test assumes how much
// happens in a given wall time.
#pragma once

#include <chrono>
#include <functional>

#include "platform/runloop.h"

namespace server_test {

inline constexpr std::chrono::seconds kGenerousWait{120};

// Runs `loop` in short turns until `done` holds; false when the bound passed first.
inline bool run_until(platform::RunLoop& loop, const std::function<bool()>& done,
                      std::chrono::milliseconds bound = kGenerousWait) {
  const platform::RunLoop::Clock::time_point deadline = platform::RunLoop::Clock::now() + bound;
  while (!done()) {
    if (platform::RunLoop::Clock::now() >= deadline) return false;
    loop.run_for(std::chrono::milliseconds(10));
  }
  return true;
}

// Marks when a timer set now for `delay` has come due. Timers due together fire in the order
// they were set, so once this one fired, every timer set earlier with the same or a shorter
// delay has fired too; and while `at_deadline` runs, none set later with a longer delay has.
class DeadlineMark {
 public:
  DeadlineMark(platform::RunLoop& loop, std::chrono::milliseconds delay,
               std::function<void()> at_deadline = {})
      : loop_(loop) {
    id_ = loop_.add_timer(delay, [this, at_deadline = std::move(at_deadline)] {
      id_ = 0;
      if (at_deadline) at_deadline();
      passed_ = true;
    });
  }
  ~DeadlineMark() {
    if (id_ != 0) loop_.cancel_timer(id_);
  }
  DeadlineMark(const DeadlineMark&) = delete;
  DeadlineMark& operator=(const DeadlineMark&) = delete;

  bool passed() const { return passed_; }
  // Runs the loop until the deadline has passed (within the generous bound).
  bool wait() { return run_until(loop_, [this] { return passed_; }); }

 private:
  platform::RunLoop& loop_;
  platform::RunLoop::SourceId id_ = 0;
  bool passed_ = false;
};

}  // namespace server_test
