// The cell-dictionary update's log: short plain lines, to standard error unless a caller (the
// updater program, a test) takes them. Lines may come from any thread.
#pragma once

#include "platform/log_sink.h"

#include <functional>
#include <string>
#include <string_view>

namespace celldict::update {

using LogSink = platform::LogSinkSlot::Sink;

// An empty sink restores standard error. The previous sink is returned.
LogSink set_log_sink(LogSink sink);

void updlog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A text from outside (a reply line, an address) made fit for one log line: control bytes
// shown as "\xHH" and cut at `limit` bytes, so a hostile reply cannot forge or flood lines.
std::string loggable(std::string_view text, std::size_t limit = 256);

}  // namespace celldict::update
