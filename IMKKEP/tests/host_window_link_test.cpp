// The server's link to the candidate window: a window that stops reading, never accepts, or is
// gone never holds up a key; each outage is logged once, a window that is gone is started
// again, and messages reach the window again once it reads.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "CoreSource/tests/engine_test_support.h"
#include "IMKKEP/companions/KEPMessageReceive.h"
#include "IMKKEP/tests/companions_fixture.h"
#include "IMKKEP/tests/host_engine_fixture.h"
#include "platform/ports.h"
#include "platform/runtime_dir.h"
#include "platform/tests/runtime_test_support.h"
#include "platform/unix_socket.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using host_test::ServerLogCapture;

constexpr std::int32_t kPage = 106;
constexpr std::int32_t kMark = 0x7e7e7d;
// The keys typed while the window does not keep up.
constexpr int kKeys = 200;
// Far above what a send costs on a loaded machine, far below a connect or a wait per key.
constexpr Clock::duration kEachKeyBound = 1s;
constexpr Clock::duration kAllKeysBound = 4s;
// Only a failing test waits this long.
constexpr Clock::duration kGenerous = 30s;

// The window's port, served on a thread whose loop the test can hold still.
class HaltableWindow {
 public:
  HaltableWindow()
      : server_(imkkep::kCandidateWindowPortName,
                [this](std::int32_t id, std::string_view) -> std::optional<std::string> {
                  std::lock_guard lock(mutex_);
                  ids_.push_back(id);
                  changed_.notify_all();
                  return std::nullopt;
                }) {}
  ~HaltableWindow() { resume(); }
  HaltableWindow(const HaltableWindow&) = delete;
  HaltableWindow& operator=(const HaltableWindow&) = delete;

  bool serving() const { return !server_.error(); }

  // Holds the loop until resume(): the window neither accepts nor reads meanwhile.
  bool halt() {
    std::unique_lock lock(mutex_);
    hold_ = true;
    server_.loop().perform([this] {
      std::unique_lock held(mutex_);
      halted_ = true;
      changed_.notify_all();
      changed_.wait(held, [this] { return !hold_; });
      halted_ = false;
    });
    return changed_.wait_for(lock, kGenerous, [this] { return halted_; });
  }
  void resume() {
    std::lock_guard lock(mutex_);
    hold_ = false;
    changed_.notify_all();
  }

  bool received(std::int32_t id) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kGenerous, [&] {
      return std::find(ids_.begin(), ids_.end(), id) != ids_.end();
    });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::int32_t> ids_;
  bool hold_ = false;
  bool halted_ = false;
  platform::testing_support::PortServerThread server_;
};

// A socket at the window's port that listens and never accepts.
class DeafListener {
 public:
  DeafListener() : fd_(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0)) {
    std::error_code error;
    auto path = platform::runtime::socket_path(
        platform::ports::socket_file_name(imkkep::kCandidateWindowPortName), error);
    listening_ = path && platform::unix_socket::make_address(*path, address_, length_) &&
                 ::bind(fd_.get(), reinterpret_cast<sockaddr*>(&address_), length_) == 0 &&
                 ::listen(fd_.get(), 2) == 0;
  }
  bool listening() const { return listening_; }
  // Others' connections take every place in the backlog.
  bool fill_backlog() {
    for (int i = 0; i < 100; ++i) {
      platform::UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
      if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&address_), length_) != 0) {
        return errno == EAGAIN && i > 0;
      }
      others_.push_back(std::move(fd));
    }
    return false;
  }

 private:
  platform::UniqueFd fd_;
  sockaddr_un address_{};
  socklen_t length_ = 0;
  bool listening_ = false;
  std::vector<platform::UniqueFd> others_;
};

std::size_t lines_containing(const std::string& fragment) {
  const std::vector<std::string>& lines = ServerLogCapture::lines();
  return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
    return line.find(fragment) != std::string::npos;
  }));
}

const std::string kDropped = "Messages to the candidate window are dropped";
const std::string kDeliveredAgain = "Messages to the candidate window are delivered again";

struct Burst {
  Clock::duration longest{};
  Clock::duration total{};
  int delivered = 0;
};

// A page per key, larger than most, so that whatever buffer the system gives a connection
// fills well within the burst.
Burst type_keys() {
  const std::string page(8000, 'p');
  Burst burst;
  for (int i = 0; i < kKeys; ++i) {
    const Clock::time_point start = Clock::now();
    if (imkkep::SendMessageToUI2(kPage, page) == 0) ++burst.delivered;
    const Clock::duration took = Clock::now() - start;
    burst.longest = std::max(burst.longest, took);
    burst.total += took;
  }
  return burst;
}

// Sends marks until one is handed over; true when `window` then reads it.
bool reaches(HaltableWindow& window) {
  const Clock::time_point deadline = Clock::now() + kGenerous;
  while (imkkep::SendMessageToUI2(kMark, {}) != 0) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(20ms);
  }
  return window.received(kMark);
}

class WindowLinkTest : public ::testing::Test {
 protected:
  void SetUp() override { companions_test::clear(); }

  // A window the link delivers to, the log emptied after.
  void start_working_window() {
    window_.reset();  // the name is free before the next one serves it
    window_ = std::make_unique<HaltableWindow>();
    ASSERT_TRUE(window_->serving());
    ASSERT_TRUE(reaches(*window_));
    ServerLogCapture::lines().clear();
  }

  platform::testing_support::PrivateRuntimeDir runtime_;
  engine_test::TempDir home_;
  engine_test::ScopedEnv home_env_{"HOME", home_.path().string()};
  // No bundle is installed under this root.
  engine_test::TempDir root_;
  engine_test::ScopedEnv root_env_{"KEP_ROOT", root_.path().string()};
  ServerLogCapture log_;
  std::unique_ptr<HaltableWindow> window_;
};

TEST_F(WindowLinkTest, AWindowThatDoesNotReadNeverHoldsUpTheKeys) {
  using Window = std::unique_ptr<HaltableWindow>;
  struct Case {
    const char* what;
    // Makes the window stop taking messages; what it returns must live through the outage.
    std::function<std::shared_ptr<void>(Window&)> stop;
    // Brings a window that reads back.
    std::function<void(Window&, std::shared_ptr<void>&)> recover;
  };
  const auto deaf = [](bool crowded) {
    return [crowded](Window& window) -> std::shared_ptr<void> {
      window.reset();
      auto listener = std::make_shared<DeafListener>();
      EXPECT_TRUE(listener->listening());
      if (crowded) {
        EXPECT_TRUE(listener->fill_backlog());
      }
      return listener;
    };
  };
  const auto replaced = [](Window& window, std::shared_ptr<void>& outage) {
    outage.reset();
    window = std::make_unique<HaltableWindow>();
  };
  const Case cases[] = {
      {"the window's loop halted",
       [](Window& window) -> std::shared_ptr<void> {
         EXPECT_TRUE(window->halt());
         return nullptr;
       },
       [](Window& window, std::shared_ptr<void>&) { window->resume(); }},
      {"a window that never accepts", deaf(false), replaced},
      {"a window whose backlog others filled", deaf(true), replaced},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    start_working_window();
    std::shared_ptr<void> outage = c.stop(window_);

    const Burst burst = type_keys();
    EXPECT_LT(burst.longest, kEachKeyBound);
    EXPECT_LT(burst.total, kAllKeysBound);
    EXPECT_LT(burst.delivered, kKeys) << "the window's buffer took every page";
    EXPECT_EQ(lines_containing(kDropped + ": send timed out."), 1u);
    EXPECT_EQ(lines_containing(kDropped), 1u) << "one line per outage";
    EXPECT_EQ(lines_containing(kDeliveredAgain), 0u);
    EXPECT_TRUE(companions_test::launches().empty()) << "a window that is there is left alone";

    c.recover(window_, outage);
    ASSERT_TRUE(window_->serving());
    EXPECT_TRUE(reaches(*window_));
    EXPECT_EQ(lines_containing(kDeliveredAgain), 1u);
    EXPECT_EQ(lines_containing(kDropped), 1u);
  }
}

TEST_F(WindowLinkTest, AWindowThatIsGoneIsStartedAgainAndGetsTheNextMessages) {
  start_working_window();
  window_.reset();

  const Burst burst = type_keys();
  EXPECT_EQ(burst.delivered, 0);
  EXPECT_LT(burst.longest, kEachKeyBound);
  EXPECT_LT(burst.total, kAllKeysBound);
  EXPECT_EQ(lines_containing(kDropped + ": port is not served."), 1u);
  EXPECT_EQ(lines_containing(kDropped), 1u);

  // Restarts are a few seconds apart, and an earlier test may have asked for one just now.
  const Clock::time_point deadline = Clock::now() + kGenerous;
  while (companions_test::launches().empty() && Clock::now() < deadline) {
    imkkep::SendMessageToUI2(kPage, "x");
    std::this_thread::sleep_for(50ms);
  }
  ASSERT_FALSE(companions_test::launches().empty());
  EXPECT_EQ(companions_test::launched_names().front(), "IMKKEPCandidateWindow");
  EXPECT_FALSE(companions_test::launches().front().to_front);

  window_ = std::make_unique<HaltableWindow>();
  ASSERT_TRUE(window_->serving());
  EXPECT_TRUE(reaches(*window_));
  EXPECT_EQ(lines_containing(kDeliveredAgain), 1u);
  EXPECT_EQ(lines_containing(kDropped), 1u);
}

}  // namespace
