// kep-httpd: a scripted HTTP server for tests, on 127.0.0.1 with an ephemeral port.
//
//   kep-httpd --rules FILE --port-file FILE [--request-log FILE] [--exit-with-parent]
//
// Once listening it writes the port number and a line end to the port file (atomically, so a
// waiting test never reads half of it). The rules file is read again for every request; see
// rules.h for its lines. Ends on SIGTERM or SIGINT with status 0.
#include <sys/prctl.h>
#include <signal.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "server.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int usage() {
  std::fprintf(stderr,
               "usage: kep-httpd --rules FILE --port-file FILE [--request-log FILE]"
               " [--exit-with-parent]\n");
  return kExitUsage;
}

int fail(const std::string& message) {
  std::fprintf(stderr, "kep-httpd: %s\n", message.c_str());
  return kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  kep_httpd::ServerOptions options;
  std::optional<std::filesystem::path> port_file;
  for (int i = 1; i < argc; ++i) {
    std::string_view option = argv[i];
    if (option == "--exit-with-parent") {
      // A test that dies without stopping its server takes the server with it.
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
      continue;
    }
    if (i + 1 >= argc) return usage();
    const char* value = argv[++i];
    if (option == "--rules") options.rules_file = value;
    else if (option == "--port-file") port_file = value;
    else if (option == "--request-log") options.request_log = value;
    else return usage();
  }
  if (options.rules_file.empty() || !port_file) return usage();

  // Blocked before any thread starts, so every thread inherits the mask and the signals wait
  // for sigwait below. A client gone mid-reply must not end the server.
  sigset_t ending;
  sigemptyset(&ending);
  sigaddset(&ending, SIGTERM);
  sigaddset(&ending, SIGINT);
  pthread_sigmask(SIG_BLOCK, &ending, nullptr);
  signal(SIGPIPE, SIG_IGN);

  std::string error;
  auto server = kep_httpd::Server::start(options, error);
  if (!server) return fail(error);
  std::error_code write_error;
  if (!platform::files::write_atomic(*port_file, std::to_string(server->port()) + "\n",
                                     write_error, 0644, platform::files::Durability::Unflushed)) {
    return fail("cannot write the port file " + port_file->string() + ": " +
                write_error.message());
  }
  int signal_number = 0;
  sigwait(&ending, &signal_number);
  server.reset();
  return 0;
}
