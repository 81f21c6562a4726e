#include "celldict/update/update_log.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>

namespace celldict::update {

using platform::LogSinkSlot;

namespace {

LogSinkSlot& slot() {
  static LogSinkSlot slot(std::string(program_invocation_short_name) + ": ");
  return slot;
}

}  // namespace

LogSink set_log_sink(LogSink sink) { return slot().exchange(std::move(sink)); }

void updlog(const char* format, ...) {
  char line[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  slot().write(line);
}

std::string loggable(std::string_view text, std::size_t limit) {
  std::string out;
  for (unsigned char c : text) {
    if (out.size() >= limit) {
      out += "...";
      break;
    }
    if (c < 0x20 || c == 0x7f) {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace celldict::update
