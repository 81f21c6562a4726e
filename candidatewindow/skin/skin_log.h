// Where the skin renderer's warnings go: standard error unless a caller installs its own sink.
#pragma once

#include "platform/log_sink.h"

namespace kepskin {

using LogSink = platform::LogSinkSlot::Sink;

// Installs `sink` (an empty one restores standard error); answers the sink it replaced.
LogSink set_log_sink(LogSink sink);

// printf-style; the line is cut at 1023 bytes.
void skin_log(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace kepskin
