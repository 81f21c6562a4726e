#include "platform/runloop.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace platform {
namespace {

using namespace std::chrono_literals;

TEST(RunLoopTest, TimersFireInOrderRepeatAndCanBeCancelled) {
  RunLoop loop;
  std::vector<std::string> fired;
  int ticks = 0;
  RunLoop::SourceId repeating = 0;
  loop.add_timer(30ms, [&] { fired.push_back("late"); });
  loop.add_timer(5ms, [&] { fired.push_back("early"); });
  RunLoop::SourceId cancelled = loop.add_timer(10ms, [&] { fired.push_back("cancelled"); });
  loop.cancel_timer(cancelled);
  repeating = loop.add_timer(1ms, [&] {
    if (++ticks == 3) loop.cancel_timer(repeating);
  }, 2ms);
  loop.add_timer(60ms, [&] { loop.stop(); });
  EXPECT_TRUE(loop.run_for(2s));
  EXPECT_EQ(fired, (std::vector<std::string>{"early", "late"}));
  EXPECT_EQ(ticks, 3);
}

TEST(RunLoopTest, RunForEndsAfterItsDurationWhenNotStopped) {
  RunLoop loop;
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(loop.run_for(40ms));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 40ms);
}

TEST(RunLoopTest, DescriptorSourceFiresUntilRemoved) {
  RunLoop loop;
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  std::string received;
  RunLoop::SourceId id = 0;
  id = loop.add_fd(fds[0], POLLIN, [&](short revents) {
    ASSERT_TRUE(revents & POLLIN);
    char c;
    ASSERT_EQ(::read(fds[0], &c, 1), 1);
    received.push_back(c);
    if (c == '!') {
      loop.remove_fd(id);
      loop.stop();
    }
  });
  ASSERT_EQ(::write(fds[1], "ab!c", 4), 4);
  EXPECT_TRUE(loop.run_for(2s));
  EXPECT_EQ(received, "ab!");  // 'c' arrived after the source was removed
  ::close(fds[0]);
  ::close(fds[1]);
}

TEST(RunLoopTest, SourceWaitsOnlyForTheEventsItIsSetTo) {
  RunLoop loop;
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  ASSERT_EQ(::write(fds[1], "x", 1), 1);
  int fired = 0;
  RunLoop::SourceId id = loop.add_fd(fds[0], POLLIN, [&](short) { ++fired; });
  loop.set_fd_events(id, 0);  // readable, but no longer asked for
  EXPECT_FALSE(loop.run_for(30ms));
  EXPECT_EQ(fired, 0);
  loop.set_fd_events(id, POLLIN);
  loop.add_timer(30ms, [&] { loop.stop(); });
  EXPECT_TRUE(loop.run_for(2s));
  EXPECT_GT(fired, 0);
  ::close(fds[0]);
  ::close(fds[1]);
}

TEST(RunLoopTest, WorkerThreadsRunWorkOnTheLoopThreadAndWait) {
  RunLoop loop;
  std::thread::id loop_thread = std::this_thread::get_id();
  std::vector<std::thread::id> ran_on;
  std::atomic<int> finished{0};
  std::vector<std::thread> workers;
  for (int i = 0; i < 4; ++i) {
    workers.emplace_back([&] {
      bool ran = loop.perform_and_wait([&] { ran_on.push_back(std::this_thread::get_id()); });
      EXPECT_TRUE(ran);
      // The work is complete when perform_and_wait returns.
      if (++finished == 4) loop.stop();
    });
  }
  EXPECT_TRUE(loop.run_for(5s));
  for (auto& worker : workers) worker.join();
  ASSERT_EQ(ran_on.size(), 4u);
  for (auto id : ran_on) EXPECT_EQ(id, loop_thread);
}

TEST(RunLoopTest, PerformAndWaitOnTheLoopThreadRunsAtOnce) {
  RunLoop loop;
  bool ran = false;
  EXPECT_TRUE(loop.perform_and_wait([&] { ran = true; }));
  EXPECT_TRUE(ran);
}

TEST(RunLoopTest, StopRequestedBeforeRunIsNotLost) {
  RunLoop loop;
  std::thread worker([&] { loop.stop(); });
  worker.join();
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(loop.run_for(2s));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  // The request was used up by that run.
  EXPECT_FALSE(loop.run_for(10ms));
}

TEST(RunLoopTest, SigtermBecomesThePowerOffNotification) {
  RunLoop loop;
  int power_offs = 0;
  loop.on_power_off([&] {
    ++power_offs;
    loop.stop();
  });
  ASSERT_EQ(::kill(::getpid(), SIGTERM), 0);
  EXPECT_TRUE(loop.run_for(2s));
  EXPECT_EQ(power_offs, 1);
}

}  // namespace
}  // namespace platform
