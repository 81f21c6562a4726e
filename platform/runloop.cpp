#include "platform/runloop.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace platform {

namespace {

// What the SIGTERM handler may touch: lock-free atomics and a write to an eventfd.
std::atomic<int> power_off_wake_fd{-1};
std::atomic<bool> power_off_pending{false};

void on_sigterm(int) {
  int saved_errno = errno;
  power_off_pending.store(true);
  int fd = power_off_wake_fd.load();
  if (fd >= 0) {
    std::uint64_t one = 1;
    [[maybe_unused]] ssize_t ignored = ::write(fd, &one, sizeof one);
  }
  errno = saved_errno;
}

}  // namespace

RunLoop::RunLoop() : owner_thread_(std::this_thread::get_id()) {
  wake_fd_.reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!wake_fd_) {
    // Without its wake-up descriptor the loop could never be stopped or handed work.
    std::perror("RunLoop: eventfd");
    std::abort();
  }
}

RunLoop::~RunLoop() {
  int mine = wake_fd_.get();
  if (power_off_wake_fd.compare_exchange_strong(mine, -1)) {
    ::signal(SIGTERM, SIG_DFL);
  }
  std::lock_guard lock(mutex_);
  closing_ = true;
  for (Task& task : tasks_) {
    if (task.outcome) *task.outcome = -1;
  }
  tasks_.clear();
  task_done_.notify_all();
}

RunLoop::SourceId RunLoop::add_fd(int fd, short events, FdCallback callback) {
  SourceId id = next_id_++;
  fd_sources_.emplace(id, FdSource{fd, events, std::make_shared<FdCallback>(std::move(callback))});
  return id;
}

void RunLoop::set_fd_events(SourceId id, short events) {
  auto it = fd_sources_.find(id);
  if (it != fd_sources_.end()) it->second.events = events;
}

void RunLoop::remove_fd(SourceId id) { fd_sources_.erase(id); }

RunLoop::SourceId RunLoop::add_timer(std::chrono::milliseconds delay, Callback callback,
                                     std::chrono::milliseconds repeat) {
  SourceId id = next_id_++;
  timers_.emplace(id, Timer{Clock::now() + delay, repeat,
                            std::make_shared<Callback>(std::move(callback))});
  return id;
}

void RunLoop::cancel_timer(SourceId id) { timers_.erase(id); }

void RunLoop::run() { run_until(std::nullopt); }

bool RunLoop::run_for(std::chrono::milliseconds duration) {
  return run_until(Clock::now() + duration);
}

void RunLoop::stop() {
  {
    std::lock_guard lock(mutex_);
    stop_requested_ = true;
  }
  wake();
}

bool RunLoop::perform(Callback task) {
  {
    std::lock_guard lock(mutex_);
    if (closing_) return false;
    tasks_.push_back(Task{std::move(task), nullptr});
  }
  wake();
  return true;
}

bool RunLoop::perform_and_wait(Callback task) {
  if (is_loop_thread()) {
    task();
    return true;
  }
  auto outcome = std::make_shared<int>(0);
  std::unique_lock lock(mutex_);
  if (closing_) return false;
  tasks_.push_back(Task{std::move(task), outcome});
  wake();
  task_done_.wait(lock, [&] { return *outcome != 0; });
  return *outcome == 1;
}

void RunLoop::on_power_off(Callback handler) {
  power_off_handler_ = std::move(handler);
  power_off_wake_fd.store(wake_fd_.get());
  struct sigaction action {};
  action.sa_handler = on_sigterm;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, nullptr);
}

bool RunLoop::is_loop_thread() const {
  std::lock_guard lock(mutex_);
  return (running_ ? running_thread_ : owner_thread_) == std::this_thread::get_id();
}

void RunLoop::wake() {
  std::uint64_t one = 1;
  [[maybe_unused]] ssize_t ignored = ::write(wake_fd_.get(), &one, sizeof one);
}

void RunLoop::drain_wake() {
  std::uint64_t count;
  while (::read(wake_fd_.get(), &count, sizeof count) > 0) {
  }
}

void RunLoop::run_tasks() {
  while (true) {
    Task task;
    {
      std::lock_guard lock(mutex_);
      if (tasks_.empty()) return;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task.work();
    if (task.outcome) {
      std::lock_guard lock(mutex_);
      *task.outcome = 1;
      task_done_.notify_all();
    }
  }
}

void RunLoop::fire_due_timers() {
  Clock::time_point now = Clock::now();
  std::vector<SourceId> due;
  for (const auto& [id, timer] : timers_) {
    if (timer.due <= now) due.push_back(id);
  }
  for (SourceId id : due) {
    auto it = timers_.find(id);
    if (it == timers_.end()) continue;  // cancelled by an earlier callback
    std::shared_ptr<Callback> callback = it->second.callback;
    if (it->second.repeat.count() > 0) {
      it->second.due += it->second.repeat;
      // A loop that was busy for several periods fires once, not once per missed period.
      if (it->second.due <= now) it->second.due = now + it->second.repeat;
    } else {
      timers_.erase(it);
    }
    (*callback)();
  }
}

int RunLoop::poll_timeout(std::optional<Clock::time_point> deadline) const {
  std::optional<Clock::time_point> next = deadline;
  for (const auto& [id, timer] : timers_) {
    if (!next || timer.due < *next) next = timer.due;
  }
  if (!next) return -1;
  auto left = std::chrono::ceil<std::chrono::milliseconds>(*next - Clock::now()).count();
  if (left <= 0) return 0;
  return left > 60000 ? 60000 : static_cast<int>(left);
}

bool RunLoop::run_until(std::optional<Clock::time_point> deadline) {
  {
    std::lock_guard lock(mutex_);
    running_ = true;
    running_thread_ = std::this_thread::get_id();
  }
  auto finish = [this](bool stopped) {
    std::lock_guard lock(mutex_);
    running_ = false;
    if (stopped) stop_requested_ = false;
    return stopped;
  };

  std::vector<pollfd> polled;
  std::vector<SourceId> polled_ids;
  while (true) {
    {
      std::lock_guard lock(mutex_);
      if (stop_requested_) {
        running_ = false;
        stop_requested_ = false;
        return true;
      }
    }
    if (deadline && Clock::now() >= *deadline) return finish(false);

    polled.clear();
    polled_ids.clear();
    polled.push_back(pollfd{wake_fd_.get(), POLLIN, 0});
    for (const auto& [id, source] : fd_sources_) {
      polled.push_back(pollfd{source.fd, source.events, 0});
      polled_ids.push_back(id);
    }
    int rc = ::poll(polled.data(), polled.size(), poll_timeout(deadline));
    if (rc < 0) {
      if (errno == EINTR) continue;
      std::perror("RunLoop: poll");
      return finish(false);
    }
    if (polled[0].revents != 0) drain_wake();
    run_tasks();
    if (power_off_handler_ && power_off_wake_fd.load() == wake_fd_.get() &&
        power_off_pending.exchange(false)) {
      Callback handler = power_off_handler_;
      handler();
    }
    for (std::size_t i = 1; i < polled.size(); ++i) {
      if (polled[i].revents == 0) continue;
      auto it = fd_sources_.find(polled_ids[i - 1]);
      if (it == fd_sources_.end()) continue;  // removed by an earlier callback
      std::shared_ptr<FdCallback> callback = it->second.callback;
      (*callback)(polled[i].revents);
    }
    fire_due_timers();
  }
}

}  // namespace platform
