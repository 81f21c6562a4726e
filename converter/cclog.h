// The converter's log: short plain lines, to standard error unless a test takes them.
#pragma once

namespace converter {

using LogSink = void (*)(const char* line);

// nullptr restores standard error.
void set_log_sink(LogSink sink);

void cclog(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace converter
