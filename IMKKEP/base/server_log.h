// The server's log: short plain lines to standard error (the system log of a background
// program), unless a test takes them. KEPLog lines are written only when the file "__debug"
// was in the data folder at start-up; KEPLogAlways lines always are.
#pragma once

namespace imkkep {

using LogSink = void (*)(const char* line);

// nullptr restores standard error.
void set_log_sink(LogSink sink);

void KEPLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
void KEPLogAlways(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace imkkep
