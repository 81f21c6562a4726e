#include "platform/log_sink.h"

#include <cstdio>
#include <utility>

namespace platform {

LogSinkSlot::Sink LogSinkSlot::exchange(Sink sink) {
  std::lock_guard lock(mutex_);
  return std::exchange(sink_, std::move(sink));
}

void LogSinkSlot::write(const std::string& line) {
  std::lock_guard lock(mutex_);
  if (sink_) sink_(line);
  else std::fprintf(stderr, "%s%s\n", prefix_.c_str(), line.c_str());
}

}  // namespace platform
