#include "converter/cclog.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>

namespace converter {

namespace {
LogSink current_sink = nullptr;
}

void set_log_sink(LogSink sink) { current_sink = sink; }

void cclog(const char* format, ...) {
  char line[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (current_sink != nullptr) {
    current_sink(line);
  } else {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, line);
  }
}

}  // namespace converter
