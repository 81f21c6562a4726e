// kep-notify: posts or waits for a distributed notification.
//
//   kep-notify post NAME OBJECT
//   kep-notify wait NAME OBJECT [--timeout S]
//
// "wait" exits 0 when the notification arrives and 1 when the time-out (default 10 s) passes
// first; "post" exits 0 when every observing program was reached.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/notify.h"
#include "platform/runloop.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int usage() {
  std::fprintf(stderr, "usage: kep-notify post NAME OBJECT\n"
                       "       kep-notify wait NAME OBJECT [--timeout S]\n");
  return kExitUsage;
}

int post(const platform::notify::Notification& notification) {
  std::error_code error;
  auto reached = platform::notify::post_distributed(notification, error);
  if (!reached) {
    std::fprintf(stderr, "kep-notify: %s\n", error.message().c_str());
    return kExitFailed;
  }
  return 0;
}

int wait(const platform::notify::Notification& notification, std::chrono::milliseconds timeout) {
  platform::RunLoop loop;
  std::error_code error;
  auto center = platform::notify::DistributedCenter::create(loop, error);
  if (!center) {
    std::fprintf(stderr, "kep-notify: %s\n", error.message().c_str());
    return kExitUsage;
  }
  bool received = false;
  center->add_observer(notification.name, notification.object,
                       [&](const platform::notify::Notification&) {
                         received = true;
                         loop.stop();
                       });
  loop.run_for(timeout);
  if (!received) std::fprintf(stderr, "kep-notify: timed out\n");
  return received ? 0 : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return usage();
  std::string command = argv[1];
  platform::notify::Notification notification{argv[2], argv[3]};
  if (command == "post" && argc == 4) return post(notification);
  if (command != "wait") return usage();
  std::chrono::milliseconds timeout(10000);
  if (argc == 6 && std::strcmp(argv[4], "--timeout") == 0) {
    char* end = nullptr;
    double seconds = std::strtod(argv[5], &end);
    if (end == argv[5] || *end != '\0' || !(seconds >= 0) || seconds > 86400) return usage();
    timeout = std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
  } else if (argc != 4) {
    return usage();
  }
  return wait(notification, timeout);
}
