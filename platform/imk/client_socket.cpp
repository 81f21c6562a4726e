#include "platform/imk/client_socket.h"

#include <chrono>
#include <thread>

#include "platform/bundle.h"
#include "platform/imk/wire.h"
#include "platform/ports_connect.h"
#include "platform/process.h"
#include "platform/runtime_dir.h"

namespace platform::imk {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kStartRetryInterval(50);

}  // namespace

UniqueFd connect_socket(std::string_view connection_name, std::error_code& error) {
  if (!runtime::is_valid_name(connection_name)) {
    error = std::make_error_code(std::errc::invalid_argument);
    return {};
  }
  auto path = runtime::socket_path(wire::socket_file_name(connection_name), error);
  if (!path) return {};
  return ports::connect_to(*path, error);
}

UniqueFd start_and_connect(std::string_view connection_name,
                           const Connection::Options& options, std::error_code& error) {
  auto bundle = Bundle::find(options.server_bundle_identifier);
  const plist::Value* executable =
      bundle ? bundle->info().find("CFBundleExecutable") : nullptr;
  if (!executable || !executable->as_string()) {
    error = std::make_error_code(std::errc::connection_refused);
    return {};
  }
  std::filesystem::path program = bundle->executable_folder() / *executable->as_string();
  if (!process::launch(program, {program.string()}, error)) return {};
  const auto deadline = Clock::now() + options.start_timeout;
  while (Clock::now() < deadline) {
    std::this_thread::sleep_for(kStartRetryInterval);
    error.clear();
    UniqueFd fd = connect_socket(connection_name, error);
    if (fd || error != std::errc::connection_refused) return fd;
  }
  error = std::make_error_code(std::errc::timed_out);
  return {};
}

}  // namespace platform::imk
