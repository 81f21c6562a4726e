// Helpers for the framework's tests: an input method whose controllers record what reaches
// them and answer keys with scripted writes and queries, a document that records what the
// server writes, and a server running on a thread of its own.
#pragma once

#include <condition_variable>
#include <cstdio>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/imk/client.h"
#include "platform/imk/input_method.h"
#include "platform/runloop.h"
#include "platform/tests/runtime_test_support.h"

namespace platform::imk::testing_support {

// What the controllers saw, in order; shared between the server's thread and the test's.
class CallLog {
 public:
  void add(std::string line) {
    std::lock_guard lock(mutex_);
    lines_.push_back(std::move(line));
  }
  std::vector<std::string> take() {
    std::lock_guard lock(mutex_);
    return std::exchange(lines_, {});
  }
  int destroyed() const {
    std::lock_guard lock(mutex_);
    return destroyed_;
  }
  void count_destroyed() {
    std::lock_guard lock(mutex_);
    ++destroyed_;
  }
  void set_info(ClientInfo info, pid_t pid) {
    std::lock_guard lock(mutex_);
    info_ = std::move(info);
    pid_ = pid;
  }
  ClientInfo info() const {
    std::lock_guard lock(mutex_);
    return info_;
  }
  pid_t pid() const {
    std::lock_guard lock(mutex_);
    return pid_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
  int destroyed_ = 0;
  ClientInfo info_;
  pid_t pid_ = 0;
};

inline std::string describe(const std::optional<Range>& range) {
  if (!range) return "none";
  return std::to_string(range->location) + "," + std::to_string(range->length);
}

inline std::string describe(const std::optional<Rect>& rect) {
  if (!rect) return "none";
  char text[96];
  std::snprintf(text, sizeof text, "%g,%g,%g,%g", rect->x, rect->y, rect->width, rect->height);
  return text;
}

// Keys: "m" marks "ni", "i" inserts "你好", "q" asks all three queries, "b" tries to mark
// bytes that are not UTF-8, "x" is not handled; every other key is handled and does nothing.
class RecordingController final : public InputController {
 public:
  explicit RecordingController(CallLog& log) : log_(log) {}
  ~RecordingController() override { log_.count_destroyed(); }

  bool handleEvent(const Event& event, Client& client) override {
    char flags[32];
    std::snprintf(flags, sizeof flags, "%#llx", static_cast<unsigned long long>(event.modifier_flags));
    std::string caps = client.caps_lock_on() ? "caps" : "nocaps";
    if (event.type == EventType::FlagsChanged) {
      log_.add("flags " + std::to_string(event.key_code) + " " + flags + " " + caps);
      return false;
    }
    log_.add("key " + event.characters + " " + std::to_string(event.key_code) + " " + flags +
             " " + caps);
    const Range not_found{client.not_found(), 0};
    if (event.characters == "m") {
      client.set_marked_text("ni", {2, 0}, not_found, mark_for_style(kHiliteSelectedRawText));
    }
    if (event.characters == "i") client.insert_text("你好", not_found);
    if (event.characters == "b") client.set_marked_text("\xff\xfe", {0, 0}, not_found, {});
    if (event.characters == "q") {
      auto selected = client.selected_range();
      auto text = client.substring({0, 1});
      auto rect = client.line_rect(0);
      log_.add("query " + describe(selected) + " " + text.value_or("none") + " " +
               describe(rect));
    }
    return event.characters != "x";
  }
  void activateServer(Client& client) override {
    log_.add(std::string("activate ") + (client.caps_lock_on() ? "caps" : "nocaps"));
  }
  void deactivateServer(Client&, DeactivationReason reason,
                        std::string_view new_input_source) override {
    log_.add(std::string("deactivate ") +
             (reason == DeactivationReason::FocusMoved ? "focus" : "source") + " " +
             std::string(new_input_source));
  }
  void commitComposition(Client&) override { log_.add("commit"); }
  std::optional<std::string> originalString(Client&) override { return "ni'hao"; }
  std::optional<std::string> composedString(Client&) override { return std::nullopt; }
  std::vector<MenuItem> menu() override {
    MenuItem traditional{1010, "繁體輸出", 1, "t", kControlFlag | kShiftFlag, true, false};
    MenuItem line;
    line.separator = true;
    MenuItem english{1200, "English", 0, "A", kShiftFlag | kOptionFlag, true, false};
    MenuItem greyed{1300, "Greyed", 0, "d", kControlFlag, false, false};
    MenuItem space{1400, "Space", 0, " ", kControlFlag, true, false};
    MenuItem bare{1500, "Bare", 0, "m", 0, true, false};
    MenuItem unbound{1600, "Unbound", 0, "", kControlFlag, true, false};
    return {traditional, line, english, greyed, space, bare, unbound};
  }
  void invokeMenuItem(int tag, Client&) override { log_.add("invoke " + std::to_string(tag)); }

 private:
  CallLog& log_;
};

class RecordingMethod final : public InputMethod {
 public:
  explicit RecordingMethod(CallLog& log) : log_(log) {}
  std::unique_ptr<InputController> createController(Client& client) override {
    log_.set_info(client.info(), client.process_id());
    last_client_ = &client;
    return std::make_unique<RecordingController>(log_);
  }
  // The newest context's client, for writes the server makes on its own; use it only on the
  // server's thread while that context lives.
  Client* last_client() const { return last_client_; }

 private:
  CallLog& log_;
  Client* last_client_ = nullptr;
};

// Records what the server writes; answers queries from a fixed text with the caret after it.
class RecordingDocument final : public Document {
 public:
  struct Write {
    std::string kind;
    std::string text;
    Range first;
    Range second;
    friend bool operator==(const Write&, const Write&) = default;
  };

  void set_marked_text(std::string_view text, Range selection, Range replacement,
                       MarkedTextStyle style) override {
    writes.push_back({"marked", std::string(text), selection, replacement});
    marked_styles.push_back(style);
  }
  void insert_text(std::string_view text, Range replacement) override {
    writes.push_back({"insert", std::string(text), replacement, {}});
  }
  std::optional<Range> selected_range() override {
    if (slow_selected_range) std::this_thread::sleep_for(*slow_selected_range);
    return Range{3, 0};
  }
  std::optional<std::string> substring(Range range) override {
    if (substring_answer) return substring_answer;
    return range == Range{0, 1} ? std::optional<std::string>("你") : std::nullopt;
  }
  std::optional<Rect> line_rect(std::uint64_t) override { return Rect{100, 500, 0, 16}; }

  std::vector<Write> writes;
  // The style of each marked text, in order.
  std::vector<MarkedTextStyle> marked_styles;
  std::optional<std::chrono::milliseconds> slow_selected_range;
  std::optional<std::string> substring_answer;
};

// A server serving `name` from a run loop on its own thread.
class ServerThread {
 public:
  ServerThread(std::string name, InputMethod& method, const ServerOptions& options = {}) {
    std::promise<std::error_code> created;
    auto result = created.get_future();
    thread_ = std::thread([this, name, &method, &options, &created] {
      RunLoop loop;
      std::error_code error;
      server_ = Server::create(name, method, loop, error, options);
      loop_ = &loop;
      created.set_value(error);
      if (server_) loop.run();
      server_.reset();
      std::unique_lock lock(mutex_);
      done_.wait(lock, [this] { return released_; });
    });
    error_ = result.get();
  }
  ~ServerThread() {
    if (!error_) loop_->stop();
    {
      std::lock_guard lock(mutex_);
      released_ = true;
    }
    done_.notify_all();
    thread_.join();
  }
  const std::error_code& error() const { return error_; }

  // Runs `task` on the server's loop after `delay`, as a timer of the input method would.
  void run_later(std::chrono::milliseconds delay, std::function<void()> task) {
    loop_->perform_and_wait([&] { loop_->add_timer(delay, std::move(task)); });
  }

  std::size_t context_count() {
    std::size_t count = 0;
    loop_->perform_and_wait([&] { count = server_ ? server_->context_count() : 0; });
    return count;
  }

 private:
  std::thread thread_;
  RunLoop* loop_ = nullptr;
  std::unique_ptr<Server> server_;
  std::error_code error_;
  std::mutex mutex_;
  std::condition_variable done_;
  bool released_ = false;
};

inline constexpr char kTestConnectionName[] = "TestInputConnection";

inline ClientInfo terminal_info(int word_width = 64) {
  ClientInfo info;
  info.application_path = "/Applications/Terminal.app";
  info.bundle_identifier = "com.example.terminal";
  info.word_width = word_width;
  info.supports_unicode = true;
  return info;
}

// A test with the recording input method served in a private runtime folder.
class ServedInputMethodTest : public ::testing::Test {
 protected:
  std::unique_ptr<Connection> connect(const ClientInfo& info = terminal_info()) {
    std::error_code error;
    auto connection = Connection::connect(kTestConnectionName, info, error);
    EXPECT_TRUE(connection) << error.message();
    return connection;
  }

  platform::testing_support::PrivateRuntimeDir runtime_;
  CallLog log_;
  RecordingMethod method_{log_};
  ServerThread server_{kTestConnectionName, method_};
};

}  // namespace platform::imk::testing_support
