#include "serve_command.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "payload_text.h"
#include "platform/ports.h"
#include "platform/runloop.h"
#include "platform/unique_fd.h"

namespace kep_port {
namespace {

// Interrupt (Ctrl-C) reaches the loop through a pipe; the loop itself turns SIGTERM into its
// power-off callback.
int interrupt_pipe_write_end = -1;

void on_interrupt(int) {
  const char byte = 1;
  [[maybe_unused]] ssize_t written = ::write(interrupt_pipe_write_end, &byte, 1);
}

}  // namespace

int serve(const char* port_name) {
  platform::RunLoop loop;
  std::error_code error;
  auto port = platform::ports::LocalPort::create(
      port_name,
      [](std::int32_t id, std::string_view payload) -> std::optional<std::string> {
        std::printf("id %d\n%s\n", static_cast<int>(id), payload_text(payload).c_str());
        std::fflush(stdout);
        return std::nullopt;
      },
      loop, error);
  if (!port) {
    std::fprintf(stderr, "kep-port: cannot serve \"%s\": %s\n", port_name,
                 error == std::errc::address_in_use ? "another process serves it"
                                                    : error.message().c_str());
    return 1;
  }

  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
    std::perror("kep-port: pipe");
    return 1;
  }
  platform::UniqueFd read_end(ends[0]), write_end(ends[1]);
  interrupt_pipe_write_end = write_end.get();
  struct sigaction action {};
  action.sa_handler = on_interrupt;
  ::sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
  loop.add_fd(read_end.get(), POLLIN, [&loop](short) { loop.stop(); });
  loop.on_power_off([&loop] { loop.stop(); });

  std::printf("serving %s\n", port_name);
  std::fflush(stdout);
  loop.run();
  ::signal(SIGINT, SIG_DFL);
  return 0;
}

}  // namespace kep_port
