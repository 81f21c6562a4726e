// A log line for trouble that can repeat many times a second (refused connections, failing
// accepts): the first occurrence is reported at once, later ones are counted and reported
// together at most once per interval, so a flood does not flood the program's output.
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace platform::ports {

class ThrottledLog {
 public:
  using Clock = std::chrono::steady_clock;

  // Lines read "<prefix>: <what> (<count> ...)".
  ThrottledLog(std::string prefix, std::string what, std::chrono::milliseconds interval)
      : prefix_(std::move(prefix)), what_(std::move(what)), interval_(interval) {}
  // Reports what is still counted, so that the last of a burst is not lost.
  ~ThrottledLog();
  ThrottledLog(const ThrottledLog&) = delete;
  ThrottledLog& operator=(const ThrottledLog&) = delete;

  // One more occurrence; `detail` (say, the error text) goes into the next line.
  void count(std::string detail = {});

 private:
  void report(Clock::time_point now);

  std::string prefix_;
  std::string what_;
  std::chrono::milliseconds interval_;
  std::string detail_;
  long pending_ = 0;
  std::optional<Clock::time_point> last_report_;
};

}  // namespace platform::ports
