#include "candidatewindow/skin/skin_log.h"

#include <cstdarg>
#include <cstdio>
#include <utility>

namespace kepskin {

namespace {

platform::LogSinkSlot& slot() {
  static platform::LogSinkSlot slot;
  return slot;
}

}  // namespace

LogSink set_log_sink(LogSink sink) { return slot().exchange(std::move(sink)); }

void skin_log(const char* format, ...) {
  char line[1024];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  slot().write(line);
}

}  // namespace kepskin
