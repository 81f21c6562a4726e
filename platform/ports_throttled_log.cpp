#include "platform/ports_throttled_log.h"

#include <cstdio>

namespace platform::ports {

ThrottledLog::~ThrottledLog() {
  if (pending_ > 0) report(Clock::now());
}

void ThrottledLog::count(std::string detail) {
  ++pending_;
  if (!detail.empty()) detail_ = std::move(detail);
  Clock::time_point now = Clock::now();
  if (last_report_ && now - *last_report_ < interval_) return;
  report(now);
}

void ThrottledLog::report(Clock::time_point now) {
  std::fprintf(stderr, "%s: %s%s%s (%ld %s)\n", prefix_.c_str(), what_.c_str(),
               detail_.empty() ? "" : ": ", detail_.c_str(), pending_,
               last_report_ ? "since the last report" : "so far");
  pending_ = 0;
  last_report_ = now;
}

}  // namespace platform::ports
