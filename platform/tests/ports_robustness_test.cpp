// A local port under clients that misbehave: clients that never read, connections left idle or
// half-sent, too many of them, and a process out of descriptors.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/ports.h"
#include "platform/tests/runtime_test_support.h"
#include "platform/unix_socket.h"

namespace platform::ports {
namespace {

using namespace std::chrono_literals;
using testing_support::PortServerThread;
using testing_support::PrivateRuntimeDir;
using Clock = std::chrono::steady_clock;

constexpr std::int32_t kEcho = 1;
constexpr std::int32_t kLargest = 7;  // answered with a reply of the largest request size

std::optional<std::string> echo_or_largest(std::int32_t id, std::string_view payload) {
  if (id == kLargest) return std::string(kMaxPayload, 'r');
  return "echo:" + std::string(payload);
}

// Short time-outs, so that tests wait for them briefly.
LocalPortOptions quick_options() {
  LocalPortOptions options;
  options.idle_timeout = 200ms;
  options.reply_timeout = 200ms;
  options.accept_backoff = 100ms;
  return options;
}

// A connection driven by hand, to misbehave in ways RemotePort never does.
class RawClient {
 public:
  // Creates the socket; connect() may come later.
  RawClient() : fd_(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0)) {}
  bool connect(const std::string& port_name) {
    sockaddr_un address{};
    socklen_t length = 0;
    auto path = std::filesystem::path(std::getenv("KEP_RUNTIME_DIR")) / socket_file_name(port_name);
    return unix_socket::make_address(path, address, length) &&
           ::connect(fd_.get(), reinterpret_cast<sockaddr*>(&address), length) == 0;
  }
  // Sends the first `packets` packets of a request (all when 0).
  void send_request(std::int32_t id, const std::string& payload, std::size_t packets = 0) {
    auto all = encode_message(Message{FrameKind::Request, kFlagWantsReply, id, 1, payload});
    if (packets == 0) packets = all.size();
    for (std::size_t i = 0; i < packets; ++i) {
      ASSERT_EQ(::send(fd_.get(), all[i].data(), all[i].size(), MSG_NOSIGNAL),
                static_cast<ssize_t>(all[i].size()));
    }
  }
  // The whole reply, or nullopt when none came within `timeout`.
  std::optional<std::string> read_reply(std::chrono::milliseconds timeout) {
    MessageAssembler assembler;
    std::string buffer;
    std::string_view packet;
    auto deadline = Clock::now() + timeout;
    while (unix_socket::wait_until(fd_.get(), POLLIN, deadline) == unix_socket::WaitResult::Ready) {
      if (unix_socket::receive_packet(fd_.get(), kMaxPacket, buffer, packet) != unix_socket::IoResult::Done) {
        return std::nullopt;
      }
      auto result = assembler.feed(packet);
      if (result == MessageAssembler::Result::Malformed) return std::nullopt;
      if (result == MessageAssembler::Result::Complete) return assembler.take().payload;
    }
    return std::nullopt;
  }
  // True when the server hangs up within `timeout`; nothing is read meanwhile.
  bool closed_by_server_within(std::chrono::milliseconds timeout) {
    pollfd entry{fd_.get(), 0, 0};
    return ::poll(&entry, 1, static_cast<int>(timeout.count())) == 1 && (entry.revents & POLLHUP);
  }

 private:
  UniqueFd fd_;
};

TEST(PortsRobustnessTest, ClientThatNeverReadsItsReplyDoesNotHoldUpOthers) {
  PrivateRuntimeDir runtime;
  std::promise<void> large_requested;
  LocalPortOptions options;
  options.reply_timeout = 30s;  // so that only writing without waiting can keep others going
  PortServerThread server("Busy", [&](std::int32_t id, std::string_view payload) {
    if (id == kLargest) large_requested.set_value();
    return echo_or_largest(id, payload);
  }, options);
  ASSERT_FALSE(server.error());

  RawClient deaf;
  ASSERT_TRUE(deaf.connect("Busy"));
  deaf.send_request(kLargest, "give me a lot");  // far more than its socket holds; never read
  ASSERT_EQ(large_requested.get_future().wait_for(5s), std::future_status::ready);

  std::error_code error;
  auto remote = RemotePort::open("Busy", error);
  ASSERT_TRUE(remote) << error.message();
  std::vector<Clock::duration> waits;
  for (int i = 0; i < 3; ++i) {
    auto start = Clock::now();
    Reply reply = remote->send(kEcho, "hi", 2s, 2s);
    waits.push_back(Clock::now() - start);
    ASSERT_EQ(reply.status, SendStatus::Success) << describe(reply.status);
    EXPECT_EQ(reply.data, std::optional<std::string>("echo:hi"));
  }
  std::sort(waits.begin(), waits.end());
  EXPECT_LT(waits[1], 100ms);
}

TEST(PortsRobustnessTest, StalledConnectionsAreClosedAfterTheirTimeOut) {
  PrivateRuntimeDir runtime;
  PortServerThread server("Stalls", echo_or_largest, quick_options());
  ASSERT_FALSE(server.error());
  struct Case {
    const char* what;
    std::int32_t id;
    std::string payload;
    std::size_t packets;  // of the request sent; -1 sends none
  };
  const Case cases[] = {
      {"sent nothing", kEcho, "", static_cast<std::size_t>(-1)},
      {"stopped inside a message", kEcho, std::string(3 * kMaxChunk, 'h'), 1},
      {"does not take its reply", kLargest, "x", 0},
  };
  for (const Case& c : cases) {
    RawClient client;
    ASSERT_TRUE(client.connect("Stalls")) << c.what;
    if (c.packets != static_cast<std::size_t>(-1)) client.send_request(c.id, c.payload, c.packets);
    // Time-outs of 200 ms: a close within 3 s is theirs, not another safeguard's.
    EXPECT_TRUE(client.closed_by_server_within(3s)) << c.what;
  }
  // A client that keeps its connection between requests is not hurt by the close.
  std::error_code error;
  auto remote = RemotePort::open("Stalls", error);
  ASSERT_TRUE(remote);
  EXPECT_EQ(remote->send(kEcho, "a", 2s, 2s).data, std::optional<std::string>("echo:a"));
  std::this_thread::sleep_for(600ms);
  EXPECT_EQ(remote->send(kEcho, "b", 2s, 2s).data, std::optional<std::string>("echo:b"));
}

TEST(PortsRobustnessTest, IdleConnectionsAtTheLimitGiveWayToANewClient) {
  PrivateRuntimeDir runtime;
  LocalPortOptions options;
  options.idle_timeout = 60s;  // the limit, not the time-out, must make room
  PortServerThread server("Crowded", echo_or_largest, options);
  ASSERT_FALSE(server.error());
  std::vector<RawClient> idle(options.max_connections);
  for (RawClient& client : idle) ASSERT_TRUE(client.connect("Crowded"));

  std::error_code error;
  auto remote = RemotePort::open("Crowded", error);
  ASSERT_TRUE(remote);
  Reply reply = remote->send(kEcho, "let me in", 5s, 5s);
  EXPECT_EQ(reply.status, SendStatus::Success) << describe(reply.status);
  EXPECT_EQ(reply.data, std::optional<std::string>("echo:let me in"));
  EXPECT_TRUE(idle.front().closed_by_server_within(2s)) << "the oldest idle one gave way";
  EXPECT_FALSE(idle.back().closed_by_server_within(0ms));
}

std::size_t lines_containing(const std::string& text, const std::string& what) {
  std::size_t count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

TEST(PortsRobustnessTest, ConnectionsRefusedWhileAllAreBusyAreLoggedOnce) {
  PrivateRuntimeDir runtime;
  LocalPortOptions options;
  options.max_connections = 2;
  options.reply_timeout = 30s;
  PortServerThread server("Full", echo_or_largest, options);
  ASSERT_FALSE(server.error());
  std::vector<RawClient> busy(2);
  for (RawClient& client : busy) {
    ASSERT_TRUE(client.connect("Full"));
    client.send_request(kLargest, "x");  // replies they never take
  }
  std::this_thread::sleep_for(200ms);

  testing::internal::CaptureStderr();
  std::vector<RawClient> refused(20);
  for (RawClient& client : refused) {
    ASSERT_TRUE(client.connect("Full"));
    EXPECT_TRUE(client.closed_by_server_within(3s));
  }
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(lines_containing(log, "refused"), 1u) << log;
}

TEST(PortsRobustnessTest, RequestOfTheLargestSizeIsAnsweredWithAHeaderInFront) {
  PrivateRuntimeDir runtime;
  PortServerThread server("Prefixed", [](std::int32_t, std::string_view payload) {
    return std::optional<std::string>("000:" + std::string(payload));
  });
  ASSERT_FALSE(server.error());
  std::error_code error;
  auto remote = RemotePort::open("Prefixed", error);
  ASSERT_TRUE(remote);
  std::string payload(kMaxPayload, 'z');
  Reply reply = remote->send(100, payload, 5s, 5s);
  ASSERT_EQ(reply.status, SendStatus::Success) << describe(reply.status);
  ASSERT_TRUE(reply.data);
  EXPECT_EQ(reply.data->size(), kMaxPayload + 4);
  EXPECT_EQ(*reply.data, "000:" + payload);
}

// CPU time of one thread.
std::chrono::nanoseconds thread_cpu_time(pthread_t thread) {
  clockid_t clock;
  timespec now{};
  if (::pthread_getcpuclockid(thread, &clock) != 0 || ::clock_gettime(clock, &now) != 0) return {};
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

// Lowers the descriptor limit so that no new descriptor can be made, until destroyed.
class NoNewDescriptors {
 public:
  NoNewDescriptors() {
    ::getrlimit(RLIMIT_NOFILE, &saved_);
    int lowest_free = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ::close(lowest_free);
    rlimit lowered = saved_;
    lowered.rlim_cur = static_cast<rlim_t>(lowest_free);
    ok_ = lowest_free >= 0 && ::setrlimit(RLIMIT_NOFILE, &lowered) == 0;
  }
  ~NoNewDescriptors() { ::setrlimit(RLIMIT_NOFILE, &saved_); }
  bool ok() const { return ok_; }

 private:
  rlimit saved_{};
  bool ok_ = false;
};

TEST(PortsRobustnessTest, OutOfDescriptorsThePortRestsInsteadOfSpinning) {
  PrivateRuntimeDir runtime;
  LocalPortOptions options;
  options.accept_backoff = 100ms;
  // Long time-outs: no connection may close, and free a descriptor, while the limit holds.
  options.idle_timeout = 60s;
  PortServerThread server("Starved", echo_or_largest, options);
  ASSERT_FALSE(server.error());
  // The loop serves a request and fires a timer first, over a connection kept to the end: the
  // sanitizers check a type the first time they meet it, and that check needs descriptors.
  std::error_code error;
  auto early = RemotePort::open("Starved", error);
  ASSERT_TRUE(early);
  ASSERT_EQ(early->send(kEcho, "early", 2s, 2s).data, std::optional<std::string>("echo:early"));
  std::promise<void> timer_fired;
  RunLoop& loop = server.loop();
  loop.perform([&] { loop.add_timer(0ms, [&] { timer_fired.set_value(); }); });
  ASSERT_EQ(timer_fired.get_future().wait_for(5s), std::future_status::ready);
  RawClient waiting;  // its descriptor is made before the limit is lowered
  testing::internal::CaptureStderr();
  std::chrono::nanoseconds loop_cpu{};
  {
    NoNewDescriptors limit;
    ASSERT_TRUE(limit.ok());
    ASSERT_TRUE(waiting.connect("Starved"));  // queued; the port cannot accept it
    std::this_thread::sleep_for(200ms);
    auto before = thread_cpu_time(server.native_handle());
    std::this_thread::sleep_for(1s);
    loop_cpu = thread_cpu_time(server.native_handle()) - before;
  }
  // A loop polling the listener over and over would use most of the second.
  EXPECT_LT(loop_cpu, 250ms);
  // With descriptors back, the queued connection is accepted and served.
  waiting.send_request(kEcho, "late");
  EXPECT_EQ(waiting.read_reply(5s), std::optional<std::string>("echo:late"));
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(lines_containing(log, "cannot accept"), 1u) << log;
}

// A server that answers one request per connection and then hangs up, as a port does with a
// connection left idle.
class OneRequestPerConnectionServer {
 public:
  explicit OneRequestPerConnectionServer(const std::string& port_name) {
    auto path = std::filesystem::path(std::getenv("KEP_RUNTIME_DIR")) / socket_file_name(port_name);
    listener_.reset(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    sockaddr_un address{};
    socklen_t length = 0;
    unix_socket::make_address(path, address, length);
    ok_ = ::bind(listener_.get(), reinterpret_cast<sockaddr*>(&address), length) == 0 &&
          ::listen(listener_.get(), 4) == 0;
    if (ok_) thread_ = std::thread([this] { serve(2); });
  }
  ~OneRequestPerConnectionServer() {
    if (thread_.joinable()) thread_.join();
  }
  bool ok() const { return ok_; }

 private:
  void serve(int connections) {
    for (int i = 0; i < connections; ++i) {
      // Bounded, so that a client that never comes back cannot hang the test.
      pollfd entry{listener_.get(), POLLIN, 0};
      if (::poll(&entry, 1, 5000) != 1) return;
      UniqueFd connection(::accept(listener_.get(), nullptr, nullptr));
      char buffer[kMaxPacket];
      ssize_t n = ::recv(connection.get(), buffer, sizeof buffer, 0);
      MessageAssembler assembler;
      if (n <= 0 || assembler.feed(std::string_view(buffer, static_cast<std::size_t>(n))) !=
                        MessageAssembler::Result::Complete) {
        return;
      }
      Message request = assembler.take();
      Message reply{FrameKind::Reply, 0, request.id, request.sequence, "answer " + std::to_string(i)};
      for (const std::string& packet : encode_message(reply)) {
        ::send(connection.get(), packet.data(), packet.size(), MSG_NOSIGNAL);
      }
    }
  }

  UniqueFd listener_;
  std::thread thread_;
  bool ok_ = false;
};

TEST(PortsRobustnessTest, KeptConnectionClosedByTheServerIsOpenedAgain) {
  PrivateRuntimeDir runtime;
  OneRequestPerConnectionServer server("Closer");
  ASSERT_TRUE(server.ok());
  std::error_code error;
  auto remote = RemotePort::open("Closer", error);
  ASSERT_TRUE(remote) << error.message();
  EXPECT_EQ(remote->send(1, "first", 2s, 2s).data, std::optional<std::string>("answer 0"));
  std::this_thread::sleep_for(100ms);  // the server has hung up by now
  Reply second = remote->send(1, "second", 2s, 2s);
  EXPECT_EQ(second.status, SendStatus::Success) << describe(second.status);
  EXPECT_EQ(second.data, std::optional<std::string>("answer 1"));
}

}  // namespace
}  // namespace platform::ports
