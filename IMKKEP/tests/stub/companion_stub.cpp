// A stand-in companion program for the server's tests: copied under a companion's name, it
// runs until SIGTERM, until the cell-dictionary updater's SHUTDOWN notification arrives, or
// for two minutes at most, so a test can never leave it behind for long. When KEP_STUB_LOG
// names a file, it appends "started" and, on SHUTDOWN, "shutdown" there.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <system_error>

#include "platform/notify.h"
#include "platform/runloop.h"

namespace {

void note(const char* event) {
  const char* path = std::getenv("KEP_STUB_LOG");
  if (path == nullptr || *path == '\0') return;
  if (std::FILE* file = std::fopen(path, "a")) {
    std::fprintf(file, "%s %d\n", event, static_cast<int>(::getpid()));
    std::fclose(file);
  }
}

}  // namespace

int main() {
  platform::RunLoop loop;
  std::error_code error;
  auto center = platform::notify::DistributedCenter::create(loop, error);
  if (!center) {
    std::fprintf(stderr, "companion stub: %s\n", error.message().c_str());
    return 1;
  }
  center->add_observer("SHUTDOWN", "KEP_CELL_DICT_UPDATER",
                       [&](const platform::notify::Notification&) {
                         note("shutdown");
                         loop.stop();
                       });
  loop.on_power_off([&] { loop.stop(); });
  note("started");
  loop.run_for(std::chrono::minutes(2));
  return 0;
}
