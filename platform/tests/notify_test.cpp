#include "platform/notify.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/tests/runtime_test_support.h"
#include "platform/unix_socket.h"

namespace platform::notify {
namespace {

using namespace std::chrono_literals;
using testing_support::PrivateRuntimeDir;

TEST(NotificationCenterTest, ObserversGetTheirNameAndObjectOnly) {
  NotificationCenter center;
  std::vector<std::string> seen;
  center.add_observer("DICT_UPDATED", std::string("IMKKEP"),
                      [&](const Notification& n) { seen.push_back("object:" + n.object); });
  center.add_observer("DICT_UPDATED", std::nullopt,
                      [&](const Notification& n) { seen.push_back("any:" + n.object); });
  center.add_observer("SHUTDOWN", std::nullopt, [&](const Notification&) { seen.push_back("shutdown"); });

  center.post({"DICT_UPDATED", "IMKKEP"});
  center.post({"DICT_UPDATED", "OTHER"});
  center.post({"UNWATCHED", "IMKKEP"});
  EXPECT_EQ(seen, (std::vector<std::string>{"object:IMKKEP", "any:IMKKEP", "any:OTHER"}));
}

TEST(NotificationCenterTest, ObserverRemovedDuringAPostIsNotCalled) {
  NotificationCenter center;
  int first = 0, second = 0;
  ObserverId second_id = 0;
  center.add_observer("N", std::nullopt, [&](const Notification&) {
    ++first;
    center.remove_observer(second_id);
  });
  second_id = center.add_observer("N", std::nullopt, [&](const Notification&) { ++second; });
  center.post({"N", ""});
  center.post({"N", ""});
  EXPECT_EQ(first, 2);
  EXPECT_EQ(second, 0);
  EXPECT_EQ(center.observer_count(), 1u);
}

TEST(NotificationWireTest, RoundTripAndRefusals) {
  Notification sample{"DARUZ_DICT_UPDATED", "IMKKEP"};
  auto datagram = encode(sample);
  ASSERT_TRUE(datagram);
  EXPECT_EQ(decode(*datagram), sample);
  EXPECT_EQ(decode(*encode({"N", ""})), (Notification{"N", ""}));

  EXPECT_FALSE(encode({"", "x"}));
  EXPECT_FALSE(encode({std::string(kMaxNameLength + 1, 'n'), ""}));
  EXPECT_FALSE(encode({"n", std::string(kMaxObjectLength + 1, 'o')}));

  struct Case {
    const char* what;
    std::string bytes;
  };
  std::string longer = *datagram + "x";
  std::string shorter = datagram->substr(0, datagram->size() - 1);
  std::string bad_magic = *datagram;
  bad_magic[0] = 'X';
  std::string zero_name = *datagram;
  zero_name[6] = 0;
  zero_name[7] = 0;
  const Case cases[] = {{"too long", longer},       {"too short", shorter},
                        {"bad magic", bad_magic},   {"empty name", zero_name},
                        {"header only", datagram->substr(0, 10)}, {"empty", ""}};
  for (const Case& c : cases) EXPECT_FALSE(decode(c.bytes)) << c.what;
}

// A child process that observes (name, object) and exits 0 once it arrives, 1 on time-out.
pid_t spawn_observer(const Notification& wanted, int ready_fd) {
  pid_t pid = ::fork();
  if (pid != 0) return pid;
  RunLoop loop;
  std::error_code error;
  auto center = DistributedCenter::create(loop, error);
  bool received = false;
  if (center) {
    center->add_observer(wanted.name, wanted.object, [&](const Notification&) {
      received = true;
      loop.stop();
    });
  }
  char byte = center ? 'y' : 'n';
  [[maybe_unused]] auto written = ::write(ready_fd, &byte, 1);
  if (center) loop.run_for(3s);
  center.reset();
  ::_exit(received ? 0 : 1);
}

TEST(DistributedNotificationTest, ReachesObserversInTwoOtherProcesses) {
  PrivateRuntimeDir runtime;
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  Notification note{"KEPUDBReload", "JEV"};
  pid_t first = spawn_observer(note, ready[1]);
  pid_t second = spawn_observer(note, ready[1]);
  ASSERT_GT(first, 0);
  ASSERT_GT(second, 0);
  ::close(ready[1]);
  char flags[2];
  ASSERT_EQ(::read(ready[0], &flags[0], 1), 1);
  ASSERT_EQ(::read(ready[0], &flags[1], 1), 1);
  ::close(ready[0]);
  EXPECT_EQ(flags[0], 'y');
  EXPECT_EQ(flags[1], 'y');

  // A notification for another object reaches the programs but none of these observers.
  std::error_code error;
  EXPECT_EQ(post_distributed({"KEPUDBReload", "OTHER"}, error), std::optional<std::size_t>(2));
  EXPECT_EQ(post_distributed(note, error), std::optional<std::size_t>(2)) << error.message();
  for (pid_t child : {first, second}) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "observer " << child << " missed the notification";
  }
  // Both removed their sockets on the way out.
  EXPECT_EQ(post_distributed(note, error), std::optional<std::size_t>(0));
}

TEST(DistributedNotificationTest, ThePosterReceivesItsOwnNotificationOnItsLoop) {
  PrivateRuntimeDir runtime;
  RunLoop loop;
  std::error_code error;
  auto center = DistributedCenter::create(loop, error);
  ASSERT_TRUE(center) << error.message();
  std::vector<Notification> seen;
  center->add_observer("SHUTDOWN", std::string("KEP_CELL_DICT_UPDATER"), [&](const Notification& n) {
    seen.push_back(n);
    loop.stop();
  });
  EXPECT_EQ(post_distributed({"SHUTDOWN", "KEP_CELL_DICT_UPDATER"}, error),
            std::optional<std::size_t>(1));
  EXPECT_TRUE(seen.empty());  // delivered by the run loop, not inside post
  EXPECT_TRUE(loop.run_for(2s));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].object, "KEP_CELL_DICT_UPDATER");
}

TEST(DistributedNotificationTest, SocketsOfDeadObserversAreRemovedByTheNextPost) {
  PrivateRuntimeDir runtime;
  auto stale = runtime.path() / "999999-dead.notify";
  int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
  sockaddr_un address{};
  socklen_t length = 0;
  ASSERT_TRUE(unix_socket::make_address(stale, address, length));
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), length), 0);
  ::close(fd);

  std::error_code error;
  EXPECT_EQ(post_distributed({"N", "O"}, error), std::optional<std::size_t>(0));
  EXPECT_FALSE(std::filesystem::exists(stale));
}

TEST(DistributedNotificationTest, InvalidNotificationsAreRefused) {
  PrivateRuntimeDir runtime;
  std::error_code error;
  EXPECT_FALSE(post_distributed({"", "object"}, error));
  EXPECT_EQ(error, std::errc::invalid_argument);
}

}  // namespace
}  // namespace platform::notify
