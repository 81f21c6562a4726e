// kep-port: sends one message to a named port and prints what comes back, or serves a port
// and prints what arrives.
//
//   kep-port send PORT ID PAYLOAD [--send-timeout S] [--receive-timeout S] [--no-wait]
//   kep-port serve PORT
//
// send prints the reply bytes followed by a line end, or "no reply" when the server's handler
// gave no data, or "error CODE (text)" when the send failed (exit status 1).
// serve prints "serving PORT", then for each message "id ID" and a line of its payload (a
// property list as its XML, see payload_text.h), answering none, until SIGTERM or SIGINT.
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ports.h"
#include "serve_command.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int usage() {
  std::fprintf(stderr,
               "usage: kep-port send PORT ID PAYLOAD [--send-timeout S] [--receive-timeout S] "
               "[--no-wait]\n"
               "       kep-port serve PORT\n");
  return kExitUsage;
}

std::optional<std::int32_t> parse_id(std::string_view text) {
  std::int32_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<std::chrono::milliseconds> parse_seconds(const char* text) {
  char* end = nullptr;
  double seconds = std::strtod(text, &end);
  if (end == text || *end != '\0' || !(seconds >= 0) || seconds > 3600) return std::nullopt;
  return std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
}

int report_failure(platform::ports::SendStatus status) {
  std::printf("error %d (%s)\n", static_cast<int>(status), platform::ports::describe(status));
  return kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "serve") == 0) return kep_port::serve(argv[2]);
  if (argc < 5 || std::strcmp(argv[1], "send") != 0) return usage();
  const char* port_name = argv[2];
  auto id = parse_id(argv[3]);
  if (!id) return usage();
  std::string_view payload = argv[4];
  std::chrono::milliseconds send_timeout(10000), receive_timeout(10000);
  bool wait = true;
  for (int i = 5; i < argc; ++i) {
    std::string_view option = argv[i];
    if (option == "--no-wait") {
      wait = false;
    } else if ((option == "--send-timeout" || option == "--receive-timeout") && i + 1 < argc) {
      auto value = parse_seconds(argv[++i]);
      if (!value) return usage();
      (option == "--send-timeout" ? send_timeout : receive_timeout) = *value;
    } else {
      return usage();
    }
  }

  std::error_code error;
  auto remote = platform::ports::RemotePort::open(port_name, error);
  if (!remote) {
    if (error == std::errc::invalid_argument) {
      std::fprintf(stderr, "kep-port: invalid port name \"%s\"\n", port_name);
      return kExitUsage;
    }
    if (error != std::errc::connection_refused) {
      std::fprintf(stderr, "kep-port: %s\n", error.message().c_str());
    }
    return report_failure(platform::ports::SendStatus::InvalidPort);
  }
  auto reply = remote->send(*id, payload, send_timeout, receive_timeout, wait);
  if (reply.status != platform::ports::SendStatus::Success) return report_failure(reply.status);
  if (!reply.data) {
    std::printf("no reply\n");
  } else {
    std::fwrite(reply.data->data(), 1, reply.data->size(), stdout);
    std::printf("\n");
  }
  return 0;
}
