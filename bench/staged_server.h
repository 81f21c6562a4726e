// The input-method server of the staged root, as shipped, for one benchmark run: a HOME and a
// runtime folder of the run's own, the server program started from its bundle (it starts the
// candidate window, the converter and the sentence service itself, as at log-in), a client
// context on it, and, when the run ends, every program of the run ended: the server and each
// program that names the run's runtime folder, stopped ones included. Companions are not our
// children, so they are found by their environment and waited for through /proc.
#pragma once

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/imk/client.h"
#include "platform/plist.h"
#include "platform/ports.h"
#include "platform/process.h"

namespace bench_server {

using namespace std::chrono_literals;

inline constexpr const char* kServerProgram =
    KEP_STAGE_ROOT "/Library/Input Methods/IMKKEP.app/Contents/MacOS/IMKKEP";
inline constexpr const char* kShippedSettings =
    KEP_STAGE_ROOT "/Library/Components/KEP.component/Contents/Resources/imkkep.plist";
inline constexpr const char* kConnectionName = "KEPInputConnectionName";

// The companions the server starts at log-in, with the port each serves once it is ready.
struct Companion {
  const char* program;
  const char* port;
};
inline constexpr Companion kCandidateWindow{"IMKKEPCandidateWindow", "IMKKEPCANDIDATEWINDOW_RECEIVER"};
inline constexpr Companion kConverter{"IMKKEPSimp2TradConverter", "KEPCCServerPort"};
inline constexpr Companion kSentenceService{"IMKKEPSentenceParser", "KEPCPServerPort"};

// A document that takes what the server writes and answers its queries plainly.
class BenchDocument : public platform::imk::Document {
 public:
  void set_marked_text(std::string_view, platform::imk::Range, platform::imk::Range,
                       platform::imk::MarkedTextStyle) override {}
  void insert_text(std::string_view text, platform::imk::Range) override { committed += text; }
  std::optional<platform::imk::Range> selected_range() override {
    return platform::imk::Range{0, 0};
  }
  std::optional<std::string> substring(platform::imk::Range) override { return std::nullopt; }
  std::optional<platform::imk::Rect> line_rect(std::uint64_t) override {
    return platform::imk::Rect{100, 700, 1, 16};
  }
  std::string committed;
};

// Whether `pid` still runs: a process that ended but was not yet reaped by its parent (the
// server, or init once the server is gone) counts as ended.
inline bool still_runs(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const std::size_t close = text.rfind(')');
  if (close == std::string::npos || close + 2 >= text.size()) return false;
  const char state = text[close + 2];
  return state != 'Z' && state != 'X';
}

// User and system CPU time `pid` has used so far; nullopt when it cannot be read.
inline std::optional<std::chrono::microseconds> cpu_time(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const std::size_t close = text.rfind(')');
  if (close == std::string::npos) return std::nullopt;
  // After the command name: state, then fields 4..; utime and stime are fields 14 and 15.
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  long long utime = -1;
  long long stime = -1;
  for (int number = 3; number <= 15 && fields >> field; ++number) {
    if (number == 14) utime = std::stoll(field);
    if (number == 15) stime = std::stoll(field);
  }
  if (utime < 0 || stime < 0) return std::nullopt;
  const long ticks = ::sysconf(_SC_CLK_TCK);
  return std::chrono::microseconds((utime + stime) * 1000000 / (ticks > 0 ? ticks : 100));
}

// Ends `pids` (resumed first, so that stopped ones see the signal): SIGTERM, and SIGKILL for
// those still running after `grace`. Returns those that outlived SIGKILL too.
inline std::vector<pid_t> end_processes(const std::vector<pid_t>& pids,
                                        std::chrono::milliseconds grace) {
  std::error_code ignored;
  for (pid_t pid : pids) {
    platform::process::send_signal(pid, SIGTERM, ignored);
    platform::process::send_signal(pid, SIGCONT, ignored);
  }
  std::vector<pid_t> left = pids;
  for (int round = 0; round < 2 && !left.empty(); ++round) {
    const auto deadline = std::chrono::steady_clock::now() + grace;
    while (!left.empty() && std::chrono::steady_clock::now() < deadline) {
      std::erase_if(left, [](pid_t pid) { return !still_runs(pid); });
      if (!left.empty()) std::this_thread::sleep_for(10ms);
    }
    if (round == 0) {
      for (pid_t pid : left) platform::process::send_signal(pid, SIGKILL, ignored);
    }
  }
  return left;
}

// One run of the server in folders of its own. The environment of the calling process names
// the run's HOME and runtime folder while the object lives (the server and its companions
// inherit it, and companions are recognised by it); the previous values come back afterwards.
class ServerRun {
 public:
  struct Options {
    bool traditional_output = false;  // the settings file turns on traditional output
  };

  explicit ServerRun(const Options& options) {
    saved_home_ = saved("HOME");
    saved_runtime_ = saved("KEP_RUNTIME_DIR");
    saved_root_ = saved("KEP_ROOT");
    std::error_code error;
    home_ = platform::files::make_temp_directory({}, "kep-bench-home-", error).value_or("");
    runtime_ = platform::files::make_temp_directory({}, "kep-bench-run-", error).value_or("");
    if (home_.empty() || runtime_.empty()) {
      problem_ = "no scratch folders";
      return;
    }
    ::setenv("HOME", home_.c_str(), 1);
    ::setenv("KEP_RUNTIME_DIR", runtime_.c_str(), 1);
    ::setenv("KEP_ROOT", KEP_STAGE_ROOT, 1);
    if (options.traditional_output && !write_settings("TraditionalOutput", true)) return;
    server_ = platform::process::launch(kServerProgram, {kServerProgram}, error);
    if (!server_) problem_ = "the server program did not start (" + error.message() + "); is it staged?";
  }

  ~ServerRun() {
    end_all();
    restore("HOME", saved_home_);
    restore("KEP_RUNTIME_DIR", saved_runtime_);
    restore("KEP_ROOT", saved_root_);
    std::error_code ignored;
    if (!runtime_.empty()) std::filesystem::remove_all(runtime_, ignored);
    if (!home_.empty()) std::filesystem::remove_all(home_, ignored);
  }
  ServerRun(const ServerRun&) = delete;
  ServerRun& operator=(const ServerRun&) = delete;

  // "" while all went well; otherwise what failed.
  const std::string& problem() const { return problem_; }

  // Connects as the application at `application_path` (waiting up to `timeout` for the server
  // to serve its name), opens one context on `document` and activates it. The context, or 0
  // with problem() saying why.
  std::uint32_t open_context(const std::string& application_path, platform::imk::Document& document,
                             std::chrono::milliseconds timeout = 10s) {
    platform::imk::ClientInfo info;
    info.application_path = application_path;
    info.bundle_identifier = "com.corvana.bench";
    std::error_code error;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (server_ && !connection_ && std::chrono::steady_clock::now() < deadline) {
      connection_ = platform::imk::Connection::connect(kConnectionName, info, error);
      if (!connection_) std::this_thread::sleep_for(20ms);
    }
    context_ = connection_ ? connection_->create_context(document) : 0;
    if (context_ != 0 && !connection_->activate(context_, false)) context_ = 0;
    if (context_ == 0 && problem_.empty()) problem_ = "the server did not take the client";
    return context_;
  }
  platform::imk::Connection& connection() { return *connection_; }

  // Deactivates and closes the context and the connection.
  void close_context() {
    if (connection_ && context_ != 0) {
      connection_->deactivate(context_, platform::imk::DeactivationReason::FocusMoved);
      connection_->destroy_context(context_);
    }
    context_ = 0;
    connection_.reset();
  }

  // The companion's process once it serves its port (waited for up to `timeout`).
  std::optional<pid_t> wait_for(const Companion& companion, std::chrono::milliseconds timeout = 30s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (server_ && std::chrono::steady_clock::now() < deadline) {
      const std::vector<pid_t> running = platform::process::find_running_in_session(companion.program);
      std::error_code error;
      if (running.size() == 1 && platform::ports::RemotePort::open(companion.port, error)) {
        return running.front();
      }
      std::this_thread::sleep_for(20ms);
    }
    if (problem_.empty()) problem_ = std::string(companion.program) + " did not start serving";
    return std::nullopt;
  }

  // The programs of this run besides the server: every process that names its runtime folder.
  std::vector<pid_t> companions() const {
    if (runtime_.empty()) return {};
    std::vector<pid_t> found = platform::process::find_with_environment("KEP_RUNTIME_DIR", runtime_.string());
    if (server_) std::erase(found, *server_);
    std::erase_if(found, [](pid_t pid) { return !still_runs(pid); });
    return found;
  }

  // Ends the server, then every program of the run, and reaps the server. The number of
  // processes that could not be ended (0 when all went).
  std::size_t end_all() {
    close_context();
    if (server_) {
      // The server first, so that it cannot start again a companion ended under it.
      std::error_code ignored;
      platform::process::send_signal(*server_, SIGTERM, ignored);
      platform::process::send_signal(*server_, SIGCONT, ignored);
      if (!platform::process::wait_for_exit(*server_, 10s)) {
        platform::process::send_signal(*server_, SIGKILL, ignored);
        platform::process::wait_for_exit(*server_, 10s);
      }
      server_.reset();
    }
    std::size_t left = 0;
    for (int round = 0; round < 3; ++round) {
      const std::vector<pid_t> running = companions();
      if (running.empty()) return 0;
      left = end_processes(running, 5s).size();
    }
    return left;
  }

 private:
  static std::optional<std::string> saved(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
  }
  static void restore(const char* variable, const std::optional<std::string>& value) {
    if (value) {
      ::setenv(variable, value->c_str(), 1);
    } else {
      ::unsetenv(variable);
    }
  }

  // The user's settings file: the shipped one with `key` set, in the data folder.
  bool write_settings(const char* key, bool value) {
    std::error_code error;
    std::optional<platform::plist::Value> settings = platform::plist::read_file(kShippedSettings, error);
    if (!settings || !settings->is_dictionary()) {
      problem_ = "no shipped settings; is the root staged?";
      return false;
    }
    settings->as_dictionary()->set(key, platform::plist::Value(value));
    const std::filesystem::path folder = home_ / "Library" / "KEP";
    std::filesystem::create_directories(folder, error);
    ::chmod(folder.c_str(), 0700);
    if (error || !platform::plist::save_atomic(folder / "imkkep.plist", *settings, error)) {
      problem_ = "the settings file could not be written: " + error.message();
      return false;
    }
    return true;
  }

  std::optional<std::string> saved_home_;
  std::optional<std::string> saved_runtime_;
  std::optional<std::string> saved_root_;
  std::filesystem::path home_;
  std::filesystem::path runtime_;
  std::optional<pid_t> server_;
  std::unique_ptr<platform::imk::Connection> connection_;
  std::uint32_t context_ = 0;
  std::string problem_;
};

}  // namespace bench_server
