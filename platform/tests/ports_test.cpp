#include "platform/ports.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "platform/runtime_dir.h"
#include "platform/tests/runtime_test_support.h"
#include "platform/unix_socket.h"

namespace platform::ports {
namespace {

using namespace std::chrono_literals;
using testing_support::leave_stale_socket;
using testing_support::PortServerThread;
using testing_support::PrivateRuntimeDir;
using Clock = std::chrono::steady_clock;

// Echoes with a prefix for id 1, answers nothing for id 2, an empty reply for id 3.
std::optional<std::string> test_handler(std::int32_t id, std::string_view payload) {
  if (id == 1) return "echo:" + std::string(payload);
  if (id == 3) return std::string();
  return std::nullopt;
}

std::filesystem::path port_socket(const PrivateRuntimeDir& dir, const std::string& name) {
  return dir.path() / socket_file_name(name);
}

// A port that accepts requests into its backlog but never reads or answers them.
struct SilentServer {
  explicit SilentServer(const std::filesystem::path& path) {
    fd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
    sockaddr_un address{};
    socklen_t length = 0;
    unix_socket::make_address(path, address, length);
    bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            ::listen(fd, 4) == 0;
  }
  ~SilentServer() { ::close(fd); }
  int fd;
  bool bound;
};

TEST(PortsTest, RepliesNoReplyAndEmptyReplyAreDistinct) {
  PrivateRuntimeDir runtime;
  PortServerThread server("TestPort", test_handler);
  ASSERT_FALSE(server.error()) << server.error().message();
  std::error_code error;
  auto remote = RemotePort::open("TestPort", error);
  ASSERT_TRUE(remote) << error.message();

  struct Case {
    std::int32_t id;
    std::string payload;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {1, "头发", std::string("echo:头发")},
      {1, "", std::string("echo:")},
      {2, "ignored", std::nullopt},
      {3, "x", std::string()},
  };
  for (const Case& c : cases) {
    Reply reply = remote->send(c.id, c.payload, 1s, 1s);
    EXPECT_EQ(reply.status, SendStatus::Success) << c.id;
    EXPECT_EQ(reply.data, c.expected) << c.id;
  }
}

TEST(PortsTest, LargestPayloadTravelsBothWaysAndLargerIsRefused) {
  PrivateRuntimeDir runtime;
  PortServerThread server("BigPort", [](std::int32_t, std::string_view payload) {
    std::string reversed(payload.rbegin(), payload.rend());
    return std::optional<std::string>(reversed);
  });
  ASSERT_FALSE(server.error());
  std::error_code error;
  auto remote = RemotePort::open("BigPort", error);
  ASSERT_TRUE(remote);

  std::string payload(kMaxPayload, '\0');
  for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>(i * 7 + i / 251);
  Reply reply = remote->send(5, payload, 2s, 2s);
  ASSERT_EQ(reply.status, SendStatus::Success);
  ASSERT_TRUE(reply.data);
  EXPECT_EQ(*reply.data, std::string(payload.rbegin(), payload.rend()));

  payload.push_back('!');
  EXPECT_EQ(remote->send(5, payload, 1s, 1s).status, SendStatus::PayloadTooLarge);
  // The refusal happened before anything was sent, so the connection is still good.
  EXPECT_EQ(remote->send(5, "ab", 1s, 1s).data, std::optional<std::string>("ba"));
}

TEST(PortsTest, OpeningAPortNobodyServesFailsAtOnce) {
  PrivateRuntimeDir runtime;
  auto start = Clock::now();
  std::error_code error;
  EXPECT_FALSE(RemotePort::open("NobodyHere", error));
  EXPECT_EQ(error, std::errc::connection_refused);
  EXPECT_LT(Clock::now() - start, 500ms);
}

TEST(PortsTest, ServerThatNeverAnswersTimesOutOnReceive) {
  PrivateRuntimeDir runtime;
  SilentServer silent(port_socket(runtime, "Silent"));
  ASSERT_TRUE(silent.bound);
  std::error_code error;
  auto remote = RemotePort::open("Silent", error);
  ASSERT_TRUE(remote) << error.message();

  auto start = Clock::now();
  Reply reply = remote->send(1, "hello", 1s, 150ms);
  auto waited = Clock::now() - start;
  EXPECT_EQ(reply.status, SendStatus::ReceiveTimeout);
  EXPECT_FALSE(reply.data);
  EXPECT_GE(waited, 150ms);
  EXPECT_LT(waited, 2s);
}

TEST(PortsTest, ServerThatNeverReadsTimesOutOnSend) {
  PrivateRuntimeDir runtime;
  SilentServer silent(port_socket(runtime, "Deaf"));
  ASSERT_TRUE(silent.bound);
  std::error_code error;
  auto remote = RemotePort::open("Deaf", error);
  ASSERT_TRUE(remote);

  // Far more than the socket buffers hold, so the hand-over cannot complete.
  std::string payload(kMaxPayload, 'x');
  auto start = Clock::now();
  Reply reply = remote->send(1, payload, 150ms, 5s);
  auto waited = Clock::now() - start;
  EXPECT_EQ(reply.status, SendStatus::SendTimeout);
  EXPECT_GE(waited, 150ms);
  EXPECT_LT(waited, 2s);
}

TEST(PortsTest, OneWaySendReachesTheHandlerWithoutWaiting) {
  PrivateRuntimeDir runtime;
  std::promise<std::string> seen;
  auto seen_future = seen.get_future();
  PortServerThread server("OneWay", [&](std::int32_t id, std::string_view payload) {
    seen.set_value(std::to_string(id) + ":" + std::string(payload));
    return std::optional<std::string>("unused");
  });
  ASSERT_FALSE(server.error());
  std::error_code error;
  auto remote = RemotePort::open("OneWay", error);
  ASSERT_TRUE(remote);
  Reply reply = remote->send(104, "hide", 1s, 0ms, /*wait_for_reply=*/false);
  EXPECT_EQ(reply.status, SendStatus::Success);
  EXPECT_FALSE(reply.data);
  ASSERT_EQ(seen_future.wait_for(2s), std::future_status::ready);
  EXPECT_EQ(seen_future.get(), "104:hide");
}

TEST(PortsTest, PortNameOfALiveProcessIsRefusedAndFreedWhenItDies) {
  PrivateRuntimeDir runtime;
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(ready[0]);
    RunLoop loop;
    std::error_code error;
    auto port = LocalPort::create("Taken", [](std::int32_t, std::string_view) {
      return std::optional<std::string>("from child");
    }, loop, error);
    char byte = port ? 'y' : 'n';
    [[maybe_unused]] auto written = ::write(ready[1], &byte, 1);
    if (port) loop.run_for(5s);
    ::_exit(0);
  }
  ::close(ready[1]);
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  ::close(ready[0]);
  ASSERT_EQ(byte, 'y');

  RunLoop loop;
  std::error_code error;
  auto handler = [](std::int32_t, std::string_view) { return std::optional<std::string>("parent"); };
  EXPECT_FALSE(LocalPort::create("Taken", handler, loop, error));
  EXPECT_EQ(error, std::errc::address_in_use);
  // The refused attempt left the owner's socket alone.
  auto remote = RemotePort::open("Taken", error);
  ASSERT_TRUE(remote);
  EXPECT_EQ(remote->send(1, "", 1s, 1s).data, std::optional<std::string>("from child"));

  // Killed without a chance to clean up: its socket file stays behind and is taken over.
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_TRUE(std::filesystem::exists(port_socket(runtime, "Taken")));
  EXPECT_EQ(remote->send(1, "", 1s, 1s).status, SendStatus::InvalidPort);
  auto port = LocalPort::create("Taken", handler, loop, error);
  EXPECT_TRUE(port) << error.message();
}

TEST(PortsTest, StaleSocketIsRefusedByClientsAndReplacedByANewServer) {
  PrivateRuntimeDir runtime;
  leave_stale_socket(port_socket(runtime, "Stale"));

  std::error_code error;
  auto start = Clock::now();
  EXPECT_FALSE(RemotePort::open("Stale", error));
  EXPECT_EQ(error, std::errc::connection_refused);
  EXPECT_LT(Clock::now() - start, 500ms);

  PortServerThread server("Stale", test_handler);
  ASSERT_FALSE(server.error()) << server.error().message();
  auto remote = RemotePort::open("Stale", error);
  ASSERT_TRUE(remote);
  EXPECT_EQ(remote->send(1, "ok", 1s, 1s).data, std::optional<std::string>("echo:ok"));
}

TEST(PortsTest, MalformedPacketDropsOnlyThatConnection) {
  PrivateRuntimeDir runtime;
  PortServerThread server("Strict", test_handler);
  ASSERT_FALSE(server.error());

  int raw = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
  sockaddr_un address{};
  socklen_t length = 0;
  unix_socket::make_address(port_socket(runtime, "Strict"), address, length);
  ASSERT_EQ(::connect(raw, reinterpret_cast<sockaddr*>(&address), length), 0);
  // A valid header that claims a longer chunk than the packet holds.
  Message message{FrameKind::Request, kFlagWantsReply, 1, 1, "abc"};
  std::string packet = encode_message(message).front();
  packet.pop_back();
  ASSERT_EQ(::send(raw, packet.data(), packet.size(), 0), static_cast<ssize_t>(packet.size()));
  timeval limit{2, 0};
  ::setsockopt(raw, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  char buffer[64];
  EXPECT_EQ(::recv(raw, buffer, sizeof buffer, 0), 0);  // closed by the server, no reply
  ::close(raw);

  std::error_code error;
  auto remote = RemotePort::open("Strict", error);
  ASSERT_TRUE(remote);
  EXPECT_EQ(remote->send(1, "still", 1s, 1s).data, std::optional<std::string>("echo:still"));
}

TEST(PortsTest, SendAfterTheServerWentAwayIsInvalidAndRecoversWhenItReturns) {
  PrivateRuntimeDir runtime;
  std::error_code error;
  std::optional<RemotePort> remote;
  {
    PortServerThread server("Comeback", test_handler);
    ASSERT_FALSE(server.error());
    remote = RemotePort::open("Comeback", error);
    ASSERT_TRUE(remote);
  }
  EXPECT_EQ(remote->send(1, "x", 1s, 1s).status, SendStatus::InvalidPort);
  PortServerThread again("Comeback", test_handler);
  ASSERT_FALSE(again.error());
  EXPECT_EQ(remote->send(1, "y", 1s, 1s).data, std::optional<std::string>("echo:y"));
}

TEST(PortsTest, InvalidNamesAreRefused) {
  PrivateRuntimeDir runtime;
  RunLoop loop;
  for (const std::string& name : std::vector<std::string>{"", ".hidden", "a/b", "with space", std::string(101, 'p')}) {
    std::error_code error;
    EXPECT_FALSE(LocalPort::create(name, test_handler, loop, error)) << name;
    EXPECT_EQ(error, std::errc::invalid_argument) << name;
    EXPECT_FALSE(RemotePort::open(name, error)) << name;
    EXPECT_EQ(error, std::errc::invalid_argument) << name;
  }
}

TEST(PortsTest, DestroyedPortRemovesItsSocket) {
  PrivateRuntimeDir runtime;
  RunLoop loop;
  std::error_code error;
  auto port = LocalPort::create("Tidy", test_handler, loop, error);
  ASSERT_TRUE(port);
  EXPECT_TRUE(std::filesystem::exists(port_socket(runtime, "Tidy")));
  port.reset();
  EXPECT_FALSE(std::filesystem::exists(port_socket(runtime, "Tidy")));
}

}  // namespace
}  // namespace platform::ports
