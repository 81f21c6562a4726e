// Helpers for tests of ports and notifications: a private runtime folder per test, and a run
// loop serving on its own thread.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/ports.h"
#include "platform/process.h"
#include "platform/runloop.h"
#include "platform/tests/test_support.h"
#include "platform/unix_socket.h"

namespace platform::testing_support {

// Points KEP_RUNTIME_DIR at a fresh mkdtemp folder for the life of the object, so that tests
// never meet each other's sockets. Programs started for that folder (a server's companions)
// end with it.
class PrivateRuntimeDir {
 public:
  PrivateRuntimeDir() : env_("KEP_RUNTIME_DIR", dir_.path().string()) {}
  ~PrivateRuntimeDir() {
    const std::string folder = dir_.path().string();
    for (pid_t pid : process::find_with_environment("KEP_RUNTIME_DIR", folder)) {
      std::error_code ignored;
      process::send_signal(pid, SIGTERM, ignored);
    }
    for (int i = 0; i < 100 && !process::find_with_environment("KEP_RUNTIME_DIR", folder).empty();
         ++i) {
      process::reap_launched();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  PrivateRuntimeDir(const PrivateRuntimeDir&) = delete;
  PrivateRuntimeDir& operator=(const PrivateRuntimeDir&) = delete;
  const std::filesystem::path& path() const { return dir_.path(); }

 private:
  TempDir dir_;
  ScopedEnv env_;
};

// A socket bound at `path` that is closed again, leaving its file behind like a crashed owner.
inline void leave_stale_socket(const std::filesystem::path& path) {
  int fd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  socklen_t length = 0;
  ASSERT_TRUE(unix_socket::make_address(path, address, length));
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), length), 0);
  ::close(fd);
  ASSERT_TRUE(std::filesystem::exists(path));
}

// A local port served by a run loop on a thread of its own.
class PortServerThread {
 public:
  PortServerThread(std::string name, ports::Handler handler,
                   const ports::LocalPortOptions& options = {}) {
    std::promise<std::error_code> created;
    auto result = created.get_future();
    thread_ = std::thread([this, name, handler, options, &created]() mutable {
      RunLoop loop;
      std::error_code error;
      auto port = ports::LocalPort::create(name, std::move(handler), loop, error, options);
      loop_ = &loop;
      created.set_value(error);
      if (port) loop.run();
      // Keep the loop alive until the owner is done with loop_.
      std::unique_lock lock(mutex_);
      done_.wait(lock, [this] { return released_; });
    });
    error_ = result.get();
  }
  ~PortServerThread() {
    if (!error_) loop_->stop();
    {
      std::lock_guard lock(mutex_);
      released_ = true;
    }
    done_.notify_all();
    thread_.join();
  }
  const std::error_code& error() const { return error_; }
  RunLoop& loop() { return *loop_; }
  // The thread serving the port, for measuring what the loop costs.
  std::thread::native_handle_type native_handle() { return thread_.native_handle(); }

 private:
  std::thread thread_;
  RunLoop* loop_ = nullptr;
  std::error_code error_;
  std::mutex mutex_;
  std::condition_variable done_;
  bool released_ = false;
};

// A service program started for a test, serving a port; killed when the test leaves it running.
class ServiceProgram {
 public:
  ServiceProgram(const std::filesystem::path& program, std::string port_name,
                 std::vector<std::string> arguments = {})
      : port_name_(std::move(port_name)) {
    std::error_code error;
    pid_ = platform::process::launch(program, arguments, error);
  }
  ~ServiceProgram() {
    if (pid_ && !exit_status_) {
      std::error_code error;
      platform::process::send_signal(*pid_, SIGKILL, error);
      platform::process::wait_for_exit(*pid_, std::chrono::seconds(5));
    }
  }
  ServiceProgram(const ServiceProgram&) = delete;
  ServiceProgram& operator=(const ServiceProgram&) = delete;

  bool started() const { return pid_.has_value(); }
  // Waits until the port answers; false when the program ended or did not serve in time.
  bool wait_until_serving() {
    for (int i = 0; i < 1000 && pid_; ++i) {
      std::error_code error;
      if (platform::ports::RemotePort::open(port_name_, error)) return true;
      if ((exit_status_ = platform::process::wait_for_exit(*pid_, std::chrono::milliseconds(0)))) {
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  std::optional<int> terminate() {
    std::error_code error;
    platform::process::send_signal(*pid_, SIGTERM, error);
    return wait_for_exit();
  }
  std::optional<int> wait_for_exit() {
    exit_status_ = platform::process::wait_for_exit(*pid_, std::chrono::seconds(10));
    return exit_status_;
  }

 private:
  std::string port_name_;
  std::optional<pid_t> pid_;
  std::optional<int> exit_status_;
};

}  // namespace platform::testing_support
