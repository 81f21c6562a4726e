#include "platform/ui/dialog_log.h"

#include <atomic>
#include <cstdio>

namespace platform::ui {
namespace {

std::atomic<DialogLogSink> sink{nullptr};

}  // namespace

void set_dialog_log_sink(DialogLogSink replacement) { sink = replacement; }

void dialog_log(std::string_view line) {
  if (DialogLogSink taker = sink.load()) {
    taker(line);
    return;
  }
  std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
}

}  // namespace platform::ui
