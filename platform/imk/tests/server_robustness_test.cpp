// The server against applications that misbehave at the socket, and against a second server.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>

#include "platform/imk/tests/imk_test_support.h"
#include "platform/imk/wire.h"
#include "platform/imk/wire_io.h"
#include "platform/ports_connect.h"
#include "platform/tests/runtime_test_support.h"
#include "platform/unix_socket.h"

namespace platform::imk {
namespace {

using namespace std::chrono_literals;
using testing_support::CallLog;
using testing_support::RecordingDocument;
using testing_support::RecordingMethod;
using testing_support::ServerThread;
using wire::MessageId;

constexpr const char* kName = testing_support::kTestConnectionName;

// An application speaking the wire format by hand.
class RawClient {
 public:
  explicit RawClient(const std::filesystem::path& runtime) {
    std::error_code error;
    fd_ = ports::connect_to(runtime / wire::socket_file_name(kName), error);
  }
  bool connected() const { return fd_.valid(); }

  bool send(MessageId id, std::string payload) {
    ports::Message message{ports::FrameKind::Request, ports::kFlagWantsReply,
                           static_cast<std::int32_t>(id), sequence_++, std::move(payload)};
    return wire::send_message(fd_.get(), message, wire::Clock::now() + 2s);
  }
  bool send_packet(const std::string& packet) {
    return unix_socket::send_packet(fd_.get(), packet) == unix_socket::IoResult::Done;
  }
  // The next message, or what happened instead.
  wire::Receiver::Result receive(ports::Message& message) {
    return receiver_.next(fd_.get(), wire::Clock::now() + 2s, message);
  }
  std::uint32_t greet_and_create_context() {
    wire::Writer hello;
    ClientInfo info;
    info.bundle_identifier = "com.example.raw";
    wire::write_client_info(hello, info);
    ports::Message answer;
    if (!send(MessageId::Hello, hello.take()) ||
        receive(answer) != wire::Receiver::Result::Message ||
        !send(MessageId::CreateContext, {}) ||
        receive(answer) != wire::Receiver::Result::Message) {
      return 0;
    }
    wire::Reader reader(answer.payload);
    std::uint8_t status = 1;
    std::uint32_t context = 0;
    return reader.u8(status) && reader.u32(context) && status == 0 ? context : 0;
  }
  void close() { fd_.reset(); }

 private:
  UniqueFd fd_;
  wire::Receiver receiver_;
  std::uint32_t sequence_ = 1;
};

std::string key_payload(std::uint32_t context, char character) {
  KeyStroke key = *key_for_character(character);
  wire::Writer writer;
  writer.u32(context).text(key.characters).u16(key.key_code).u64(key.modifier_flags).u8(0);
  return writer.take();
}

bool wait_for(const std::function<bool()>& condition) {
  auto deadline = std::chrono::steady_clock::now() + 5s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

using ServerRobustnessTest = testing_support::ServedInputMethodTest;

TEST_F(ServerRobustnessTest, AnApplicationGoneInTheMiddleOfAKeyLeavesTheServerServing) {
  ASSERT_FALSE(server_.error());
  RawClient raw(runtime_.path());
  ASSERT_TRUE(raw.connected());
  std::uint32_t context = raw.greet_and_create_context();
  ASSERT_NE(context, 0u);
  // The key makes the controller query the application, which is gone by then.
  ASSERT_TRUE(raw.send(MessageId::KeyDown, key_payload(context, 'q')));
  raw.close();

  EXPECT_TRUE(wait_for([&] { return log_.destroyed() == 1; }));
  EXPECT_EQ(server_.context_count(), 0u);
  auto log = log_.take();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[1], "query none none none");

  auto connection = connect();
  ASSERT_TRUE(connection);
  RecordingDocument document;
  std::uint32_t again = connection->create_context(document);
  EXPECT_EQ(connection->key_down(again, *key_for_character('m')), true);
}

TEST_F(ServerRobustnessTest, AMalformedMessageClosesOnlyItsConnection) {
  ASSERT_FALSE(server_.error());
  auto connection = connect();
  ASSERT_TRUE(connection);
  RecordingDocument document;
  std::uint32_t context = connection->create_context(document);

  struct Fault {
    const char* what;
    bool greet;
    std::function<bool(RawClient&, std::uint32_t)> send;
  };
  const Fault faults[] = {
      {"not a frame", true,
       [](RawClient& raw, std::uint32_t) { return raw.send_packet("not a frame at all"); }},
      {"a cut key", true,
       [](RawClient& raw, std::uint32_t id) {
         std::string payload = key_payload(id, 'a');
         payload.pop_back();
         return raw.send(MessageId::KeyDown, payload);
       }},
      {"a text longer than the payload", true,
       [](RawClient& raw, std::uint32_t id) {
         return raw.send(MessageId::KeyDown, wire::Writer().u32(id).u32(1000).u8('a').take());
       }},
      {"bytes left over", true,
       [](RawClient& raw, std::uint32_t id) {
         return raw.send(MessageId::CommitComposition, wire::Writer().u32(id).u8(0).take());
       }},
      {"an unknown message", true,
       [](RawClient& raw, std::uint32_t id) {
         return raw.send(static_cast<MessageId>(77), wire::Writer().u32(id).take());
       }},
      {"a word width of 16", false,
       [](RawClient& raw, std::uint32_t) {
         return raw.send(MessageId::Hello,
                         wire::Writer().text("").text("").u8(16).u8(2).u8(0).take());
       }},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.what);
    RawClient raw(runtime_.path());
    ASSERT_TRUE(raw.connected());
    std::uint32_t raw_context = fault.greet ? raw.greet_and_create_context() : 0;
    ASSERT_EQ(raw_context != 0, fault.greet);
    ASSERT_TRUE(fault.send(raw, raw_context));
    ports::Message message;
    EXPECT_EQ(raw.receive(message), wire::Receiver::Result::Closed);
    EXPECT_EQ(connection->key_down(context, *key_for_character('n')), true);
  }
  EXPECT_TRUE(wait_for([&] { return server_.context_count() == 1; }));
}

TEST_F(ServerRobustnessTest, ASecondServerFindsTheNameTaken) {
  ASSERT_FALSE(server_.error());
  CallLog other_log;
  RecordingMethod other(other_log);
  RunLoop loop;
  std::error_code error;
  EXPECT_FALSE(Server::create(kName, other, loop, error));
  EXPECT_EQ(error, std::errc::address_in_use);
  // The first server still answers.
  auto connection = connect();
  EXPECT_TRUE(connection);
}

TEST(ServerNameTest, ASocketLeftByADeadServerIsReplaced) {
  platform::testing_support::PrivateRuntimeDir runtime;
  platform::testing_support::leave_stale_socket(runtime.path() / wire::socket_file_name(kName));
  CallLog log;
  RecordingMethod method(log);
  ServerThread server(kName, method);
  ASSERT_FALSE(server.error()) << server.error().message();
  std::error_code error;
  EXPECT_TRUE(Connection::connect(kName, ClientInfo{}, error)) << error.message();
}

}  // namespace
}  // namespace platform::imk
