// Running the converter program in tests.
#pragma once

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "converter/service/qcc_service.h"
#include "platform/ports.h"
#include "platform/process.h"

namespace converter::testing {

using namespace std::chrono_literals;

// A converter program started for a test, killed when the test leaves it running.
class ConverterProgram {
 public:
  explicit ConverterProgram(const std::filesystem::path& program,
                            std::vector<std::string> arguments = {}) {
    std::error_code error;
    pid_ = platform::process::launch(program, arguments, error);
  }
  ~ConverterProgram() {
    if (pid_ && !exit_status_) {
      std::error_code error;
      platform::process::send_signal(*pid_, SIGKILL, error);
      platform::process::wait_for_exit(*pid_, 5s);
    }
  }
  // Waits until the port answers; false when the program ended or did not serve in time.
  bool wait_until_serving() {
    for (int i = 0; i < 1000 && pid_; ++i) {
      std::error_code error;
      if (platform::ports::RemotePort::open(kQCCServerPortName, error)) return true;
      if ((exit_status_ = platform::process::wait_for_exit(*pid_, 0ms))) return false;
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }
  std::optional<int> terminate() {
    std::error_code error;
    platform::process::send_signal(*pid_, SIGTERM, error);
    exit_status_ = platform::process::wait_for_exit(*pid_, 5s);
    return exit_status_;
  }
  std::optional<int> wait_for_exit() {
    exit_status_ = platform::process::wait_for_exit(*pid_, 5s);
    return exit_status_;
  }

 private:
  std::optional<pid_t> pid_;
  std::optional<int> exit_status_;
};

}  // namespace converter::testing
