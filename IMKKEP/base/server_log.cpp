#include "IMKKEP/base/server_log.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>

#include "IMKKEP/base/server_state.h"

namespace imkkep {
namespace {

LogSink current_sink = nullptr;

void write_line(const char* format, va_list args) {
  char line[1024];
  std::vsnprintf(line, sizeof line, format, args);
  if (current_sink != nullptr) {
    current_sink(line);
  } else {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, line);
  }
}

}  // namespace

void set_log_sink(LogSink sink) { current_sink = sink; }

void KEPLog(const char* format, ...) {
  if (_log_flag == 0) return;
  va_list args;
  va_start(args, format);
  write_line(format, args);
  va_end(args);
}

void KEPLogAlways(const char* format, ...) {
  va_list args;
  va_start(args, format);
  write_line(format, args);
  va_end(args);
}

}  // namespace imkkep
