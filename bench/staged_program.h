// The staged service programs, started for a benchmark's life: each is launched from the staged
// root and counted as running once its port answers; it is ended with SIGTERM (as at power-off)
// when the object goes, and killed when it has not ended within five seconds. PrivateRuntime
// gives the programs and the benchmark a runtime folder of their own, so that no other
// system's services on this machine are ever asked.
#pragma once

#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "platform/files.h"
#include "platform/ports.h"
#include "platform/process.h"

class PrivateRuntime {
 public:
  PrivateRuntime() {
    std::error_code error;
    folder_ = platform::files::make_temp_directory({}, "kep-bench-run-", error).value_or("");
    if (!folder_.empty()) ::setenv("KEP_RUNTIME_DIR", folder_.c_str(), 1);
    ::setenv("KEP_ROOT", KEP_STAGE_ROOT, 1);
  }
  ~PrivateRuntime() {
    ::unsetenv("KEP_RUNTIME_DIR");
    std::error_code error;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, error);
  }
  PrivateRuntime(const PrivateRuntime&) = delete;
  PrivateRuntime& operator=(const PrivateRuntime&) = delete;
  bool ok() const { return !folder_.empty(); }

 private:
  std::filesystem::path folder_;
};

class StagedProgram {
 public:
  // Starts `program` and waits up to five seconds for it to serve `port_name`.
  StagedProgram(const char* program, const char* port_name) {
    using namespace std::chrono_literals;
    std::error_code error;
    pid_ = platform::process::launch(program, {}, error);
    for (int i = 0; i < 500 && pid_ && !serving_; ++i) {
      serving_ = platform::ports::RemotePort::open(port_name, error).has_value();
      if (!serving_) std::this_thread::sleep_for(10ms);
    }
  }
  ~StagedProgram() {
    if (!pid_) return;
    std::error_code error;
    platform::process::send_signal(*pid_, SIGTERM, error);
    platform::process::send_signal(*pid_, SIGCONT, error);
    if (!platform::process::wait_for_exit(*pid_, std::chrono::seconds(5))) {
      platform::process::send_signal(*pid_, SIGKILL, error);
      platform::process::wait_for_exit(*pid_, std::chrono::seconds(5));
    }
  }
  StagedProgram(const StagedProgram&) = delete;
  StagedProgram& operator=(const StagedProgram&) = delete;
  bool serving() const { return serving_; }

 private:
  std::optional<pid_t> pid_;
  bool serving_ = false;
};
