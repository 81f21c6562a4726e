// A stand-in for the candidate window program: it serves the window's port on a thread of its
// own, in a private runtime folder, and keeps every message the server sends it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "IMKKEP/KEPMessageReceive.h"
#include "platform/plist.h"
#include "platform/tests/runtime_test_support.h"

namespace host_test {

struct WindowMessage {
  std::int32_t id = 0;
  std::string payload;
  // The payload read as the property-list dictionary the window expects; nullopt otherwise.
  std::optional<platform::plist::Dictionary> dictionary() const {
    std::optional<platform::plist::Value> value = platform::plist::parse(payload);
    if (!value || !value->is_dictionary()) return std::nullopt;
    return *value->as_dictionary();
  }
};

class FakeCandidateWindow {
 public:
  FakeCandidateWindow()
      : server_(imkkep::kCandidateWindowPortName,
                [this](std::int32_t id, std::string_view payload) -> std::optional<std::string> {
                  std::lock_guard lock(mutex_);
                  received_.push_back({id, std::string(payload)});
                  arrived_.notify_all();
                  return std::nullopt;
                }) {}

  bool serving() const { return !server_.error(); }

  // The n-th message (0-based), waiting up to a few seconds for it to arrive.
  std::optional<WindowMessage> message(std::size_t n) {
    std::unique_lock lock(mutex_);
    if (!arrived_.wait_for(lock, std::chrono::seconds(5), [&] { return received_.size() > n; })) {
      return std::nullopt;
    }
    return received_[n];
  }
  // Whether a message with `id` arrives within a few seconds (messages of one key may be read
  // one loop turn apart).
  bool wait_for_id(std::int32_t id) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, std::chrono::seconds(5), [&] {
      for (const WindowMessage& message : received_) {
        if (message.id == id) return true;
      }
      return false;
    });
  }
  // Everything received once the window's loop has handled what was sent before this call.
  std::vector<WindowMessage> settled() {
    server_.loop().perform_and_wait([] {});
    std::lock_guard lock(mutex_);
    return received_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<WindowMessage> received_;
  platform::testing_support::PortServerThread server_;
};

}  // namespace host_test
