// The server program as it runs: one per user, ended by the power-off signal.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "CoreSource/tests/engine_test_support.h"
#include "platform/imk/client.h"
#include "platform/process.h"
#include "platform/tests/runtime_test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path kServerProgram =
    fs::path(KEP_STAGED_ROOT) / "Library/Input Methods/IMKKEP.app/Contents/MacOS/IMKKEP";

class ServerProgramTest : public ::testing::Test {
 protected:
  void TearDown() override {
    // A server left by a failed check must not outlive the test.
    for (pid_t pid : std::vector<pid_t>(started_)) {
      if (wait(pid, 0ms)) continue;
      std::error_code error;
      platform::process::send_signal(pid, SIGKILL, error);
      wait(pid, 10s);
    }
  }
  // The exit status of a server this test started; it is then no longer ours to signal.
  std::optional<int> wait(pid_t pid, std::chrono::milliseconds timeout) {
    std::optional<int> status = platform::process::wait_for_exit(pid, timeout);
    if (status) std::erase(started_, pid);
    return status;
  }
  std::optional<pid_t> start() {
    std::error_code error;
    std::optional<pid_t> pid =
        platform::process::launch(kServerProgram, {kServerProgram.string()}, error);
    if (pid) started_.push_back(*pid);
    return pid;
  }
  // Whether a client reaches the server within a bound generous for a loaded machine.
  bool reachable() {
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (true) {
      std::error_code error;
      if (platform::imk::Connection::connect("KEPInputConnectionName", {}, error)) return true;
      if (std::chrono::steady_clock::now() >= deadline) return false;
      std::this_thread::sleep_for(50ms);
    }
  }
  static std::optional<int> exit_code(std::optional<int> status) {
    if (!status || !WIFEXITED(*status)) return std::nullopt;
    return WEXITSTATUS(*status);
  }

  engine_test::TempDir home_;
  engine_test::ScopedEnv home_env_{"HOME", home_.path().string()};
  engine_test::ScopedEnv root_env_{"KEP_ROOT", std::string(KEP_STAGED_ROOT)};
  platform::testing_support::PrivateRuntimeDir runtime_;
  std::vector<pid_t> started_;
};

TEST_F(ServerProgramTest, ASecondServerLeavesAndPowerOffEndsTheFirst) {
  std::optional<pid_t> first = start();
  ASSERT_TRUE(first);
  ASSERT_TRUE(reachable());
  EXPECT_TRUE(fs::exists(home_.path() / "Library/KEP/imkkep.plist")) << "the engine started";

  std::optional<pid_t> second = start();
  ASSERT_TRUE(second);
  std::optional<int> second_code = exit_code(wait(*second, 60s));
  ASSERT_TRUE(second_code) << "the second server does not stay";
  EXPECT_NE(*second_code, 0);
  EXPECT_TRUE(reachable()) << "the first one keeps serving";

  // Written at power-off, and only by the server that served: the second one found the name
  // taken before it started an engine, so it left the user's files alone.
  const fs::path suggestions = home_.path() / "Library/KEP/qy.cfg";
  EXPECT_FALSE(fs::exists(suggestions)) << "the second server wrote into the data folder";
  std::error_code error;
  ASSERT_TRUE(platform::process::send_signal(*first, SIGTERM, error));
  EXPECT_EQ(exit_code(wait(*first, 60s)), 0);
  EXPECT_TRUE(fs::exists(suggestions)) << "power-off saved what the engine kept";
}

}  // namespace
