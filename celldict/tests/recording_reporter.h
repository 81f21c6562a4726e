// A progress watcher for the tests: it records every command and status in order, counts the
// stop polls, and can ask to stop at a given poll or once a condition on what it heard holds.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "celldict/progress_reporter.h"

namespace progress_test {

struct Heard {
  bool is_status = false;
  int command = 0;
  std::int64_t value = 0;
  std::string status;
  bool operator==(const Heard&) const = default;
};

inline Heard command(int command, std::int64_t value) { return {false, command, value, {}}; }
inline Heard status(std::string key) { return {true, 0, 0, std::move(key)}; }

class RecordingReporter : public celldict::ProgressReporter {
 public:
  // Asks to stop from the `poll`-th isStopped() on (1 is the first).
  void stop_at_poll(int poll) { stop_at_poll_ = poll; }
  // Asks to stop once `when` holds for what was heard so far (checked after each report).
  void stop_when(std::function<bool(const std::vector<Heard>&)> when) { stop_when_ = std::move(when); }

  void setProgress(int command_number, std::int64_t value) override { hear(command(command_number, value)); }
  void setStatus(std::string_view key) override { hear(status(std::string(key))); }
  bool isStopped() const override {
    std::lock_guard lock(mutex_);
    ++polls_;
    if (stop_at_poll_ && polls_ >= *stop_at_poll_) stopped_ = true;
    return stopped_;
  }

  std::vector<Heard> heard() const {
    std::lock_guard lock(mutex_);
    return heard_;
  }
  int polls() const {
    std::lock_guard lock(mutex_);
    return polls_;
  }
  // The commands `number` heard, their values in order.
  std::vector<std::int64_t> values_of(int number) const {
    std::vector<std::int64_t> values;
    for (const Heard& h : heard()) {
      if (!h.is_status && h.command == number) values.push_back(h.value);
    }
    return values;
  }
  std::vector<std::string> statuses() const {
    std::vector<std::string> keys;
    for (const Heard& h : heard()) {
      if (h.is_status) keys.push_back(h.status);
    }
    return keys;
  }
  // The record as text, one report a line, for failure messages.
  std::string trace() const {
    std::string text;
    for (const Heard& h : heard()) {
      text += h.is_status ? "status " + h.status
                          : "command " + std::to_string(h.command) + " " + std::to_string(h.value);
      text += '\n';
    }
    return text;
  }

 private:
  void hear(Heard h) {
    std::lock_guard lock(mutex_);
    heard_.push_back(std::move(h));
    if (stop_when_ && stop_when_(heard_)) stopped_ = true;
  }

  mutable std::mutex mutex_;
  std::vector<Heard> heard_;
  mutable int polls_ = 0;
  mutable bool stopped_ = false;
  std::optional<int> stop_at_poll_;
  std::function<bool(const std::vector<Heard>&)> stop_when_;
};

}  // namespace progress_test
