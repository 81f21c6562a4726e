// The pane's lines in the system log: standard error unless a caller (a test) takes them.
// Lines may come from any thread.
#pragma once

#include <string>

#include "platform/log_sink.h"

namespace codetablepane {

// An empty sink restores standard error; the previous sink is returned.
platform::LogSinkSlot::Sink set_pane_log_sink(platform::LogSinkSlot::Sink sink);
void pane_log(const std::string& line);

}  // namespace codetablepane
