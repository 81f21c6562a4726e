// A replaceable destination for a library's log lines: standard error until a caller (a
// program with its own log, a test) installs a sink. Lines may come from any thread; the sink
// is called under a lock, one line at a time.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace platform {

class LogSinkSlot {
 public:
  using Sink = std::function<void(const std::string& line)>;

  // `prefix` goes before each line written to standard error ("" for none).
  explicit LogSinkSlot(std::string prefix = "") : prefix_(std::move(prefix)) {}

  // Installs `sink` (an empty one restores standard error); answers the sink it replaced.
  Sink exchange(Sink sink);
  void write(const std::string& line);

 private:
  std::mutex mutex_;
  Sink sink_;
  std::string prefix_;
};

}  // namespace platform
