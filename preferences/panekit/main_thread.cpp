#include "preferences/panekit/main_thread.h"

namespace panekit {

MainThread::MainThread(platform::RunLoop& loop) : loop_(loop) {}

bool MainThread::run(std::function<void()> task) const {
  if (is_closed()) return false;
  if (loop_.is_loop_thread()) {
    task();
    return true;
  }
  auto done = std::make_shared<bool>(false);
  const bool queued = loop_.perform([state = state_, done, task = std::move(task)] {
    // Closing happens on this thread too, so nothing closes between the test and the task.
    {
      std::lock_guard lock(state->mutex);
      if (state->closed) return;
    }
    task();
    std::lock_guard lock(state->mutex);
    *done = true;
    state->changed.notify_all();
  });
  if (!queued) return false;
  std::unique_lock lock(state_->mutex);
  state_->changed.wait(lock, [&] { return *done || state_->closed; });
  return *done;
}

void MainThread::post(std::function<void()> task) const {
  loop_.perform([state = state_, task = std::move(task)] {
    {
      std::lock_guard lock(state->mutex);
      if (state->closed) return;
    }
    task();
  });
}

void MainThread::close() {
  std::lock_guard lock(state_->mutex);
  state_->closed = true;
  state_->changed.notify_all();
}

bool MainThread::is_closed() const {
  std::lock_guard lock(state_->mutex);
  return state_->closed;
}

}  // namespace panekit
