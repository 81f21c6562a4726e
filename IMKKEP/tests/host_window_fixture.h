// A stand-in for the candidate window program: it serves the window's port on a thread of its
// own, in a private runtime folder, and keeps every message the server sends it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "IMKKEP/companions/KEPMessageReceive.h"
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
  // Only a failing test waits this long, on a machine busy with other work.
  static constexpr std::chrono::seconds kArrivalBound{60};
  // The id of the marks settled() sends; no message of the server has it.
  static constexpr std::int32_t kSettleMark = 0x7e7e7e;

  FakeCandidateWindow()
      : server_(imkkep::kCandidateWindowPortName,
                [this](std::int32_t id, std::string_view payload) -> std::optional<std::string> {
                  std::lock_guard lock(mutex_);
                  if (id == kSettleMark) {
                    ++marks_received_;
                  } else {
                    received_.push_back({id, std::string(payload)});
                  }
                  arrived_.notify_all();
                  return std::nullopt;
                }) {}

  bool serving() const { return !server_.error(); }

  // The n-th message (0-based), waiting a generous while for it to arrive.
  std::optional<WindowMessage> message(std::size_t n) {
    std::unique_lock lock(mutex_);
    if (!arrived_.wait_for(lock, kArrivalBound, [&] { return received_.size() > n; })) {
      return std::nullopt;
    }
    return received_[n];
  }
  // Whether a message with `id` arrives within the bound (messages of one key may be read one
  // loop turn apart).
  bool wait_for_id(std::int32_t id) {
    return wait_for([id](const WindowMessage& message) { return message.id == id; });
  }
  // Whether a message that `matches` arrives within the bound.
  bool wait_for(const std::function<bool(const WindowMessage&)>& matches) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, kArrivalBound, [&] {
      for (const WindowMessage& message : received_) {
        if (matches(message)) return true;
      }
      return false;
    });
  }
  // Everything the calling thread sent before this call. A mark is sent after it: each send
  // is a connection of its own, which the window accepts and reads in the order they came, so
  // once the mark is in, so is everything sent before it.
  std::vector<WindowMessage> settled() {
    const int mark = ++marks_sent_;
    const bool sent = imkkep::SendMessageToUI2(kSettleMark, {}) == 0;
    std::unique_lock lock(mutex_);
    if (sent) arrived_.wait_for(lock, kArrivalBound, [&] { return marks_received_ >= mark; });
    return received_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<WindowMessage> received_;
  int marks_sent_ = 0;
  int marks_received_ = 0;
  platform::testing_support::PortServerThread server_;
};

}  // namespace host_test
