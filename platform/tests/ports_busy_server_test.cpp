// Remote ports against servers that do not keep up: a full backlog, a connection nobody reads,
// and a server that went away and now serves elsewhere.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/ports.h"
#include "platform/runtime_dir.h"
#include "platform/tests/runtime_test_support.h"
#include "platform/unix_socket.h"

namespace platform::ports {
namespace {

using Clock = std::chrono::steady_clock;
using testing_support::PortServerThread;
using testing_support::PrivateRuntimeDir;
using namespace std::chrono_literals;

// A port socket whose owner listens but accepts only when the test says so.
class SlowListener {
 public:
  explicit SlowListener(const std::string& name, int backlog = 4)
      : fd_(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0)) {
    std::error_code error;
    auto path = runtime::socket_path(socket_file_name(name), error);
    bound_ = path && unix_socket::make_address(*path, address_, length_) &&
             ::bind(fd_.get(), reinterpret_cast<sockaddr*>(&address_), length_) == 0 &&
             ::listen(fd_.get(), backlog) == 0;
  }
  bool bound() const { return bound_; }

  // Connects raw sockets until the backlog refuses one; how many it took.
  int fill_backlog() {
    for (int i = 0; i < 1000; ++i) {
      UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
      if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&address_), length_) != 0) return i;
      queued_.push_back(std::move(fd));
    }
    return -1;
  }
  // The next waiting connection, if one comes within `timeout`.
  UniqueFd accept(std::chrono::milliseconds timeout) {
    if (unix_socket::wait_until(fd_.get(), POLLIN, Clock::now() + timeout) !=
        unix_socket::WaitResult::Ready) {
      return {};
    }
    return UniqueFd(::accept4(fd_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
  }

 private:
  UniqueFd fd_;
  bool bound_ = false;
  sockaddr_un address_{};
  socklen_t length_ = 0;
  std::vector<UniqueFd> queued_;
};

// Reads whole messages from an accepted connection.
struct Reader {
  explicit Reader(UniqueFd connection) : fd(std::move(connection)) {}
  // Everything already sent: reads until nothing more comes for `quiet`, or the end.
  std::vector<Message> drain(std::chrono::milliseconds quiet = 300ms) {
    return receive(static_cast<std::size_t>(-1), quiet, true);
  }
  // Reads until `count` messages came, the end, or `bound` passed.
  std::vector<Message> receive(std::size_t count, std::chrono::milliseconds bound,
                               bool bound_is_quiet = false) {
    std::vector<Message> messages;
    std::string_view packet;
    auto deadline = Clock::now() + bound;
    while (messages.size() < count &&
           unix_socket::wait_until(fd.get(), POLLIN, deadline) == unix_socket::WaitResult::Ready) {
      if (bound_is_quiet) deadline = Clock::now() + bound;
      auto io = unix_socket::receive_packet(fd.get(), kMaxPacket, buffer, packet);
      if (io == unix_socket::IoResult::WouldBlock) continue;
      if (io != unix_socket::IoResult::Done) {
        closed = true;
        break;
      }
      if (assembler.feed(packet) == MessageAssembler::Result::Complete) {
        messages.push_back(assembler.take());
      }
    }
    return messages;
  }
  UniqueFd fd;
  std::string buffer;
  MessageAssembler assembler;
  bool closed = false;
};

TEST(PortsBusyServerTest, ConnectingToAFullBacklogWaitsNoLongerThanAsked) {
  PrivateRuntimeDir runtime;
  SlowListener listener("Crowded", 0);
  ASSERT_TRUE(listener.bound());
  ASSERT_GT(listener.fill_backlog(), 0);
  struct Case {
    std::chrono::milliseconds timeout;
    std::chrono::milliseconds at_least;
  } cases[] = {{0ms, 0ms}, {300ms, 250ms}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.timeout.count());
    std::error_code error;
    auto start = Clock::now();
    EXPECT_FALSE(RemotePort::open("Crowded", error, c.timeout));
    auto waited = Clock::now() - start;
    EXPECT_EQ(error, std::errc::resource_unavailable_try_again) << error.message();
    EXPECT_GE(waited, c.at_least);
    // Far below the default bound, which a busy service gets to catch up.
    EXPECT_LT(waited, c.timeout + 2s);
  }
}

TEST(PortsBusyServerTest, ABusyServerStillGetsARequestWithTheDefaultBound) {
  PrivateRuntimeDir runtime;
  SlowListener listener("Catching", 0);
  ASSERT_TRUE(listener.bound());
  const int filled = listener.fill_backlog();
  ASSERT_GT(filled, 0);
  // The server takes its waiting connections a moment later, then ours.
  std::promise<std::vector<Message>> read;
  std::thread server([&] {
    std::this_thread::sleep_for(300ms);
    for (int i = 0; i < filled; ++i) listener.accept(10s);
    Reader ours(listener.accept(20s));
    read.set_value(ours.fd ? ours.receive(1, 20s) : std::vector<Message>{});
  });
  std::error_code error;
  auto remote = RemotePort::open("Catching", error);
  EXPECT_TRUE(remote) << error.message();
  if (remote) {
    EXPECT_EQ(remote->send(5, "late but taken", 1s, 0ms, false).status, SendStatus::Success);
  }
  auto future = read.get_future();
  std::vector<Message> messages = future.get();
  server.join();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].id, 5);
  EXPECT_EQ(messages[0].payload, "late but taken");
}

TEST(PortsBusyServerTest, ASendThatHandsOverNothingKeepsTheConnection) {
  PrivateRuntimeDir runtime;
  SlowListener listener("Unread");
  ASSERT_TRUE(listener.bound());
  std::error_code error;
  auto remote = RemotePort::open("Unread", error, 0ms);
  ASSERT_TRUE(remote) << error.message();
  EXPECT_EQ(remote->unread_bytes(), 0u);

  // Nobody reads: the connection takes messages until its buffer is full.
  const std::string page(1000, 'p');
  int delivered = 0;
  SendStatus status = SendStatus::Success;
  for (int i = 0; i < 100000 && status == SendStatus::Success; ++i) {
    status = remote->send(i, page, 0ms, 0ms, false).status;
    if (status == SendStatus::Success) ++delivered;
  }
  ASSERT_EQ(status, SendStatus::SendTimeout);
  ASSERT_GT(delivered, 0);
  EXPECT_GT(remote->unread_bytes(), 0u);
  // Refused again, still without a second connection.
  EXPECT_EQ(remote->send(-1, page, 0ms, 0ms, false).status, SendStatus::SendTimeout);

  Reader reader(listener.accept(5s));
  ASSERT_TRUE(reader.fd);
  EXPECT_FALSE(listener.accept(0ms)) << "a second connection waits in the backlog";
  std::vector<Message> messages = reader.drain();
  ASSERT_EQ(messages.size(), static_cast<std::size_t>(delivered));
  EXPECT_EQ(messages.front().id, 0);
  EXPECT_EQ(messages.back().id, delivered - 1);
  EXPECT_EQ(remote->unread_bytes(), 0u) << "everything sent was read";

  // Read again, the kept connection carries the next message.
  ASSERT_EQ(remote->send(7, "next", 1s, 0ms, false).status, SendStatus::Success);
  messages = reader.drain();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].payload, "next");

  // A message cut off halfway leaves the connection unusable: it is dropped, and the next send
  // comes on a new one.
  EXPECT_EQ(remote->send(8, std::string(kMaxPayload, 'h'), 100ms, 0ms, false).status,
            SendStatus::SendTimeout);
  EXPECT_EQ(remote->unread_bytes(), 0u);
  reader.drain(1s);
  EXPECT_TRUE(reader.closed) << "the half-sent connection was closed";
  ASSERT_EQ(remote->send(9, "fresh", 1s, 0ms, false).status, SendStatus::Success);
  Reader second(listener.accept(5s));
  ASSERT_TRUE(second.fd);
  messages = second.drain();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].id, 9);
}

TEST(PortsBusyServerTest, ASendConnectsAgainToTheNameWhereItIsServedNow) {
  auto echo = [](std::int32_t, std::string_view payload) {
    return std::optional<std::string>("echo:" + std::string(payload));
  };
  PrivateRuntimeDir first;
  std::optional<RemotePort> remote;
  {
    PortServerThread server("Moved", echo);
    ASSERT_FALSE(server.error());
    std::error_code error;
    remote = RemotePort::open("Moved", error);
    ASSERT_TRUE(remote) << error.message();
    ASSERT_EQ(remote->send(1, "a", 5s, 5s).data, std::optional<std::string>("echo:a"));
  }
  PrivateRuntimeDir second;  // the runtime folder now lies elsewhere
  PortServerThread server("Moved", echo);
  ASSERT_FALSE(server.error());
  EXPECT_EQ(remote->send(1, "b", 5s, 5s).data, std::optional<std::string>("echo:b"));
}

}  // namespace
}  // namespace platform::ports
