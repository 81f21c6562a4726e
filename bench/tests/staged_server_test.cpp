// The benches' run of the staged server ends everything it started, stopped companions
// included, and reads the processes' state and CPU time from /proc correctly.
#include "bench/staged_server.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using namespace std::chrono_literals;

// A child that waits for signals, SIGTERM ignored when asked; returned once it is set up.
pid_t start_child(bool ignore_term) {
  int ready[2];
  if (::pipe(ready) != 0) return -1;
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (ignore_term) ::signal(SIGTERM, SIG_IGN);
    const char byte = 1;
    (void)!::write(ready[1], &byte, 1);
    for (;;) ::pause();
  }
  char byte = 0;
  ::close(ready[1]);
  (void)!::read(ready[0], &byte, 1);
  ::close(ready[0]);
  return pid;
}

int end_signal(pid_t pid) {
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFSIGNALED(status)) return 0;
  return WTERMSIG(status);
}

TEST(EndProcesses, ResumesAStoppedProcessForTermAndKillsOneThatIgnoresIt) {
  const pid_t stopped = start_child(false);
  const pid_t stubborn = start_child(true);
  ASSERT_GT(stopped, 0);
  ASSERT_GT(stubborn, 0);
  ::kill(stopped, SIGSTOP);
  int status = 0;
  ASSERT_EQ(::waitpid(stopped, &status, WUNTRACED), stopped);
  ASSERT_TRUE(WIFSTOPPED(status));
  EXPECT_TRUE(bench_server::still_runs(stopped));

  // Both are left unreaped (zombies) until waited for below: ended all the same.
  EXPECT_TRUE(bench_server::end_processes({stopped, stubborn}, 300ms).empty());
  EXPECT_FALSE(bench_server::still_runs(stopped));
  EXPECT_FALSE(bench_server::still_runs(stubborn));
  EXPECT_EQ(end_signal(stopped), SIGTERM);
  EXPECT_EQ(end_signal(stubborn), SIGKILL);
}

TEST(CpuTime, AgreesWithTheProcessClock) {
  auto process_clock = [] {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
  };
  // Work enough that a misread field (faults, start time, another process's) cannot pass.
  const auto start = process_clock();
  volatile unsigned long sink = 0;
  while (process_clock() - start < 300ms) sink = sink + 1;
  const std::optional<std::chrono::microseconds> read = bench_server::cpu_time(::getpid());
  const auto expected = std::chrono::duration_cast<std::chrono::microseconds>(process_clock());
  ASSERT_TRUE(read.has_value());
  EXPECT_LE(*read, expected + 20ms);
  EXPECT_GE(*read, expected - 100ms);
  EXPECT_FALSE(bench_server::cpu_time(-5).has_value());
}

std::string environment(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr ? value : "(unset)";
}

TEST(ServerRun, EndsTheServerAndEveryCompanionStoppedOnesIncluded) {
  const std::string home_before = environment("HOME");
  const std::string runtime_before = environment("KEP_RUNTIME_DIR");
  std::string runtime;
  std::string home;
  {
    bench_server::ServerRun run({.traditional_output = true});
    ASSERT_EQ(run.problem(), "");
    runtime = environment("KEP_RUNTIME_DIR");
    home = environment("HOME");
    EXPECT_NE(runtime, runtime_before);
    EXPECT_NE(home, home_before);
    std::error_code error;
    const auto settings =
        platform::plist::read_file(std::filesystem::path(home) / "Library/KEP/imkkep.plist", error);
    ASSERT_TRUE(settings && settings->is_dictionary());
    const platform::plist::Value* traditional = settings->as_dictionary()->find("TraditionalOutput");
    ASSERT_NE(traditional, nullptr);
    EXPECT_EQ(*traditional, platform::plist::Value(true));

    const std::optional<pid_t> window = run.wait_for(bench_server::kCandidateWindow);
    const std::optional<pid_t> converter = run.wait_for(bench_server::kConverter);
    ASSERT_TRUE(window && converter) << run.problem();
    const std::vector<pid_t> companions = run.companions();
    EXPECT_NE(std::find(companions.begin(), companions.end(), *window), companions.end());
    EXPECT_NE(std::find(companions.begin(), companions.end(), *converter), companions.end());

    std::error_code ignored;
    platform::process::send_signal(*window, SIGSTOP, ignored);
    platform::process::send_signal(*converter, SIGSTOP, ignored);
    EXPECT_EQ(run.end_all(), 0u);
    EXPECT_TRUE(platform::process::find_with_environment("KEP_RUNTIME_DIR", runtime).empty());
    EXPECT_FALSE(bench_server::still_runs(*window));
    EXPECT_FALSE(bench_server::still_runs(*converter));
  }
  EXPECT_EQ(environment("HOME"), home_before);
  EXPECT_EQ(environment("KEP_RUNTIME_DIR"), runtime_before);
  EXPECT_FALSE(std::filesystem::exists(runtime));
  EXPECT_FALSE(std::filesystem::exists(home));
}

}  // namespace
