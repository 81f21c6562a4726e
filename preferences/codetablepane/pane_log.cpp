#include "preferences/codetablepane/pane_log.h"

namespace codetablepane {

namespace {

platform::LogSinkSlot& slot() {
  static platform::LogSinkSlot log("CodeTablePane: ");
  return log;
}

}  // namespace

platform::LogSinkSlot::Sink set_pane_log_sink(platform::LogSinkSlot::Sink sink) {
  return slot().exchange(std::move(sink));
}

void pane_log(const std::string& line) { slot().write(line); }

}  // namespace codetablepane
