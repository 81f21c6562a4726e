// A private runtime folder and a run loop on a thread of its own, for a benchmark's life: the
// thread sets up what it serves (a port, a service), says whether that worked, runs the loop
// until the object is destroyed, then tears down what it set up.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <future>
#include <system_error>
#include <thread>

#include "platform/files.h"
#include "platform/runloop.h"

class ServingThread {
 public:
  // `serve` runs on the thread: it must set `ready` once, and run the loop only when it did so
  // with true.
  using Serve = std::function<void(platform::RunLoop& loop, std::promise<bool>& ready)>;

  explicit ServingThread(Serve serve) {
    std::error_code error;
    folder_ = *platform::files::make_temp_directory({}, "kep-bench-", error);
    ::setenv("KEP_RUNTIME_DIR", folder_.c_str(), 1);
    std::promise<bool> ready;
    auto started = ready.get_future();
    thread_ = std::thread([this, &ready, serve = std::move(serve)] { serve(loop_, ready); });
    ok_ = started.get();
  }
  ~ServingThread() {
    loop_.stop();
    thread_.join();
    std::error_code error;
    std::filesystem::remove_all(folder_, error);
    ::unsetenv("KEP_RUNTIME_DIR");
  }
  ServingThread(const ServingThread&) = delete;
  ServingThread& operator=(const ServingThread&) = delete;

  bool ok() const { return ok_; }

 private:
  std::filesystem::path folder_;
  platform::RunLoop loop_;
  std::thread thread_;
  bool ok_ = false;
};
