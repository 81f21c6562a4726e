#include "platform/process.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <thread>

#include "platform/files.h"
#include "platform/tests/test_support.h"

namespace platform::process {
namespace {

using namespace std::chrono_literals;
using testing_support::TempDir;

// A copy of sleep under a name longer than the kernel's 15-character command name.
std::filesystem::path long_named_sleep(const TempDir& dir) {
  auto copy = dir.path() / "kep-a-rather-long-program-name";
  std::filesystem::copy_file("/bin/sleep", copy);
  ::chmod(copy.c_str(), 0755);
  return copy;
}

TEST(ProcessTest, LaunchedProgramIsFoundByItsFullNameUntilItIsSignalled) {
  TempDir dir;
  auto program = long_named_sleep(dir);
  std::error_code error;
  auto pid = launch(program, {"5"}, error);
  ASSERT_TRUE(pid) << error.message();

  const std::string name = program.filename().string();
  auto found = find_running(name);
  EXPECT_NE(std::find(found.begin(), found.end(), *pid), found.end());
  EXPECT_TRUE(is_running(name));
  EXPECT_FALSE(is_running(name.substr(0, 15)));  // the truncated command name is not the name
  EXPECT_FALSE(is_running("kep-no-such-program"));

  ASSERT_TRUE(send_signal(*pid, SIGTERM, error)) << error.message();
  auto status = wait_for_exit(*pid, 2s);
  ASSERT_TRUE(status);
  EXPECT_TRUE(WIFSIGNALED(*status));
  EXPECT_FALSE(is_running(name));
}

TEST(ProcessTest, ArgumentsArePassedAsWordsNotThroughAShell) {
  TempDir dir;
  auto marker = dir.path() / "made; touch injected";
  std::error_code error;
  // A shell would split this into two commands; as one argument it names one file.
  auto pid = launch("/usr/bin/touch", {marker.string()}, error);
  ASSERT_TRUE(pid) << error.message();
  auto status = wait_for_exit(*pid, 2s);
  ASSERT_TRUE(status);
  EXPECT_EQ(*status, 0);
  EXPECT_TRUE(std::filesystem::exists(marker));
  EXPECT_FALSE(std::filesystem::exists("injected"));
}

TEST(ProcessTest, MissingProgramFailsToLaunch) {
  std::error_code error;
  EXPECT_FALSE(launch("/nonexistent/kep-program", {}, error));
  EXPECT_EQ(error, std::errc::no_such_file_or_directory);
}

TEST(ProcessTest, ExitedChildrenAreReapedAndNotRunning) {
  TempDir dir;
  auto program = long_named_sleep(dir);
  std::error_code error;
  auto pid = launch(program, {"0"}, error);
  ASSERT_TRUE(pid);
  // Until reaped it is a zombie, which does not count as running either. A loaded machine may
  // take a while to run the child to its end.
  for (int i = 0; i < 2000 && is_running(program.filename().string()); ++i) {
    std::this_thread::sleep_for(5ms);
  }
  EXPECT_FALSE(is_running(program.filename().string()));
  reap_launched();
  EXPECT_FALSE(wait_for_exit(*pid, 0ms));  // already reaped
}

// The signals process `pid` ignores, from the SigIgn mask of /proc/<pid>/status.
std::optional<unsigned long long> ignored_signals(pid_t pid) {
  std::error_code error;
  auto status = files::read_file("/proc/" + std::to_string(pid) + "/status", error);
  if (!status) return std::nullopt;
  const std::size_t at = status->find("\nSigIgn:\t");
  if (at == std::string::npos) return std::nullopt;
  return std::stoull(status->substr(at + 9, 16), nullptr, 16);
}

TEST(ProcessTest, SignalsTheCallerIgnoresAreResetForTheChild) {
  // A server ignores these so that a broken pipe or a file-size limit fails a write instead of
  // ending it; the programs it starts must get their ordinary behaviour back.
  const int signals[] = {SIGPIPE, SIGXFSZ, SIGHUP, SIGINT};
  struct sigaction ignore {}, saved[std::size(signals)];
  ignore.sa_handler = SIG_IGN;
  for (std::size_t i = 0; i < std::size(signals); ++i) ASSERT_EQ(::sigaction(signals[i], &ignore, &saved[i]), 0);
  TempDir dir;
  std::error_code error;
  auto pid = launch(long_named_sleep(dir), {"5"}, error);
  for (std::size_t i = 0; i < std::size(signals); ++i) ::sigaction(signals[i], &saved[i], nullptr);
  ASSERT_TRUE(pid) << error.message();

  // The launch returns once the program runs (the spawn waits for the exec).
  const auto ignored = ignored_signals(*pid);
  send_signal(*pid, SIGKILL, error);
  wait_for_exit(*pid, 10s);
  ASSERT_TRUE(ignored);
  for (int signal : signals) EXPECT_EQ(*ignored & (1ull << (signal - 1)), 0u) << strsignal(signal);
}

TEST(ProcessTest, SignalsToProcessGroupsAreRefused) {
  std::error_code error;
  for (pid_t pid : {0, -1, -1234}) {
    EXPECT_FALSE(send_signal(pid, 0, error)) << pid;
    EXPECT_EQ(error, std::errc::invalid_argument);
  }
  EXPECT_TRUE(send_signal(::getpid(), 0, error));
}

}  // namespace
}  // namespace platform::process

namespace platform::process {
namespace {

TEST(ProcessSessionTest, OnlyProgramsNamingTheSameRuntimeFolderBelongToTheSession) {
  TempDir dir;
  auto program = long_named_sleep(dir);
  const std::string name = program.filename().string();
  std::error_code error;
  std::optional<pid_t> other;
  {
    // Started for another runtime folder: a program of the same name, not of this session.
    testing_support::ScopedEnv elsewhere("KEP_RUNTIME_DIR", (dir.path() / "other").string());
    other = launch(program, {"5"}, error);
    ASSERT_TRUE(other) << error.message();
  }
  // launch returns once the program runs, but the kernel lays out its environment a moment
  // later: until then /proc shows none.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!environment_value(*other, "KEP_RUNTIME_DIR") &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  testing_support::ScopedEnv here("KEP_RUNTIME_DIR", (dir.path() / "here").string());
  ASSERT_TRUE(is_running(name));
  EXPECT_FALSE(is_running_in_session(name));
  EXPECT_EQ(environment_value(*other, "KEP_RUNTIME_DIR"), (dir.path() / "other").string());
  EXPECT_EQ(environment_value(*other, "KEP_NO_SUCH_VARIABLE"), std::nullopt);
  EXPECT_EQ(find_with_environment("KEP_RUNTIME_DIR", (dir.path() / "other").string()),
            std::vector<pid_t>{*other});

  auto mine = launch(program, {"5"}, error);
  ASSERT_TRUE(mine) << error.message();
  // Likewise the second program belongs to no session until its environment shows.
  while (find_running_in_session(name) != std::vector<pid_t>{*mine} &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(find_running_in_session(name), std::vector<pid_t>{*mine});

  for (pid_t pid : {*other, *mine}) {
    send_signal(pid, SIGTERM, error);
    wait_for_exit(pid, 2s);
  }
}

}  // namespace
}  // namespace platform::process
