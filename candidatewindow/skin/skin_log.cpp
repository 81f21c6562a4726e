#include "candidatewindow/skin/skin_log.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <utility>

namespace kepskin {

namespace {

std::mutex& sink_mutex() {
  static std::mutex mutex;
  return mutex;
}

LogSink& current_sink() {
  static LogSink sink;
  return sink;
}

}  // namespace

LogSink set_log_sink(LogSink sink) {
  std::lock_guard lock(sink_mutex());
  return std::exchange(current_sink(), std::move(sink));
}

void skin_log(const char* format, ...) {
  char line[1024];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  std::lock_guard lock(sink_mutex());
  if (current_sink()) current_sink()(line);
  else std::fprintf(stderr, "%s\n", line);
}

}  // namespace kepskin
