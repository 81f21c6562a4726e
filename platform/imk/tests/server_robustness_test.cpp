// The server against applications that misbehave at the socket, and against a second server.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <regex>

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
  explicit RawClient(UniqueFd fd) : fd_(std::move(fd)) {}
  bool connected() const { return fd_.valid(); }

  bool send(MessageId id, std::string payload) {
    ports::Message message{ports::FrameKind::Request, ports::kFlagWantsReply,
                           static_cast<std::int32_t>(id), sequence_++, std::move(payload)};
    return wire::send_message(fd_.get(), message, wire::Clock::now() + 2s);
  }
  bool send_packet(const std::string& packet) {
    return unix_socket::send_packet(fd_.get(), packet) == unix_socket::IoResult::Done;
  }
  bool answer(const ports::Message& query, std::string payload) {
    ports::Message reply{ports::FrameKind::Reply, 0, query.id, query.sequence, std::move(payload)};
    return wire::send_message(fd_.get(), reply, wire::Clock::now() + 2s);
  }
  // The next message, or what happened instead.
  wire::Receiver::Result receive(ports::Message& message,
                                 std::chrono::milliseconds timeout = 2s) {
    return receiver_.next(fd_.get(), wire::Clock::now() + timeout, message);
  }
  // The answer to the last call, with the server's queries that came before it; nullopt when
  // the connection failed.
  std::optional<ports::Message> reply(std::vector<ports::Message>& queries) {
    while (true) {
      ports::Message message;
      if (receive(message, 10s) != wire::Receiver::Result::Message) return std::nullopt;
      if (message.kind == ports::FrameKind::Reply) return message;
      queries.push_back(std::move(message));
    }
  }
  bool greet() {
    wire::Writer hello;
    ClientInfo info;
    info.bundle_identifier = "com.example.raw";
    wire::write_client_info(hello, info);
    ports::Message answer;
    return send(MessageId::Hello, hello.take()) &&
           receive(answer) == wire::Receiver::Result::Message && answer.payload == std::string(1, '\0');
  }
  std::uint32_t greet_and_create_context() { return greet() ? create_context() : 0; }
  std::uint32_t create_context() {
    ports::Message answer;
    if (!send(MessageId::CreateContext, {}) ||
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
  auto deadline = std::chrono::steady_clock::now() + 10s;
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


// A server of the recording method with options of its own, in the test's runtime folder.
class ServerWithOptionsTest : public ::testing::Test {
 protected:
  std::unique_ptr<ServerThread> serve(const ServerOptions& options) {
    auto server = std::make_unique<ServerThread>(kName, method_, options);
    EXPECT_FALSE(server->error()) << server->error().message();
    return server;
  }
  std::unique_ptr<Connection> connect() {
    std::error_code error;
    auto connection = Connection::connect(kName, testing_support::terminal_info(), error);
    EXPECT_TRUE(connection) << error.message();
    return connection;
  }

  platform::testing_support::PrivateRuntimeDir runtime_;
  CallLog log_;
  RecordingMethod method_{log_};
};

// True when the server has closed the connection (and nothing else came meanwhile).
bool closed_by_server(RawClient& raw) {
  ports::Message message;
  return raw.receive(message, 10s) == wire::Receiver::Result::Closed;
}

TEST_F(ServerWithOptionsTest, AConnectionOwingAHelloOrTheRestOfAMessageIsClosedAtItsDeadline) {
  struct Case {
    const char* what;
    ServerOptions options;
    // Leaves `raw` owing the server something.
    std::function<bool(RawClient&)> owe;
  };
  ServerOptions short_hello;
  short_hello.hello_timeout = 300ms;
  short_hello.message_timeout = 60s;
  ServerOptions short_message;
  short_message.hello_timeout = 60s;
  short_message.message_timeout = 300ms;
  const Case cases[] = {
      {"never says hello", short_hello, [](RawClient&) { return true; }},
      {"asks for a context instead", short_hello,
       [](RawClient& raw) {
         ports::Message answer;
         return raw.send(MessageId::CreateContext, {}) &&
                raw.receive(answer) == wire::Receiver::Result::Message &&
                answer.payload[0] == static_cast<char>(wire::Status::Refused);
       }},
      {"stops inside a message", short_message,
       [](RawClient& raw) {
         if (raw.greet_and_create_context() == 0) return false;
         // The first of the packets of a key whose characters are too long for one.
         ports::Message key{ports::FrameKind::Request, ports::kFlagWantsReply,
                            static_cast<std::int32_t>(MessageId::KeyDown), 9,
                            std::string(ports::kMaxChunk * 2, 'k')};
         return raw.send_packet(ports::encode_message(key).front());
       }},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.what);
    auto server = serve(test.options);
    // Connected at the same time, and owing nothing once greeted.
    RawClient owing(runtime_.path());
    RawClient greeted(runtime_.path());
    ASSERT_TRUE(owing.connected() && greeted.connected());
    ASSERT_TRUE(greeted.greet());
    ASSERT_TRUE(test.owe(owing));
    EXPECT_TRUE(closed_by_server(owing));
    // The same sweep left the other alone: it is still served.
    EXPECT_NE(greeted.create_context(), 0u);
  }
}

TEST_F(ServerWithOptionsTest, IdleConnectionsThatNeverSaidHelloGiveWayToAnApplication) {
  // More connections than the server takes, none of them timing out during the test.
  ServerOptions options;
  options.hello_timeout = 60s;
  options.message_timeout = 60s;
  ASSERT_LT(options.max_connections, 300u);
  rlimit limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
  if (limit.rlim_cur < 2048 && limit.rlim_max >= 2048) {
    limit.rlim_cur = 2048;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
  }
  auto server = serve(options);
  std::vector<std::unique_ptr<RawClient>> idle;
  for (int i = 0; i < 300; ++i) {
    idle.push_back(std::make_unique<RawClient>(runtime_.path()));
    ASSERT_TRUE(idle.back()->connected()) << i;
  }
  testing::internal::CaptureStderr();
  auto started = std::chrono::steady_clock::now();
  auto connection = connect();
  ASSERT_TRUE(connection);
  RecordingDocument document;
  std::uint32_t context = connection->create_context(document);
  ASSERT_NE(context, 0u);
  EXPECT_EQ(connection->key_down(context, *key_for_character('i')), true);
  auto took = std::chrono::steady_clock::now() - started;
  EXPECT_THAT(document.writes, testing::ElementsAre(RecordingDocument::Write{
                                   "insert", "你好", {kNotFound64, 0}, {}}));
  // Nowhere near the idle connections' time-out.
  EXPECT_LT(took, 10s);
  // The idlest gave way; the newest is still there and may still say hello.
  EXPECT_TRUE(closed_by_server(*idle.front()));
  EXPECT_NE(idle.back()->greet_and_create_context(), 0u);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(ServerWithOptionsTest, ConnectionsRefusedWhenAllHaveSaidHelloAreLoggedOncePerBurst) {
  ServerOptions options;
  options.max_connections = 3;
  auto server = serve(options);
  std::vector<std::unique_ptr<RawClient>> greeted;
  for (int i = 0; i < 3; ++i) {
    greeted.push_back(std::make_unique<RawClient>(runtime_.path()));
    ASSERT_TRUE(greeted.back()->greet());
  }
  testing::internal::CaptureStderr();
  for (int i = 0; i < 20; ++i) {
    RawClient refused(runtime_.path());
    ASSERT_TRUE(refused.connected());
    EXPECT_TRUE(closed_by_server(refused)) << i;
  }
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
  EXPECT_NE(log.find("connections refused"), std::string::npos) << log;
  // The ones served are still served.
  for (auto& raw : greeted) EXPECT_TRUE(raw->send(MessageId::CreateContext, {}));
  for (auto& raw : greeted) {
    ports::Message answer;
    EXPECT_EQ(raw->receive(answer), wire::Receiver::Result::Message);
  }
}

// Runs `starved` with the descriptor limit lowered to the descriptors open, so that none can be
// made meanwhile. False when the limit could not be lowered.
bool without_new_descriptors(const std::function<void()>& starved) {
  rlimit saved{};
  if (::getrlimit(RLIMIT_NOFILE, &saved) != 0) return false;
  // The lowest free descriptor: all below it are taken.
  int lowest_free = ::dup(STDERR_FILENO);
  if (lowest_free < 0) return false;
  ::close(lowest_free);
  rlimit lowered{static_cast<rlim_t>(lowest_free), saved.rlim_max};
  if (::setrlimit(RLIMIT_NOFILE, &lowered) != 0) return false;
  starved();
  return ::setrlimit(RLIMIT_NOFILE, &saved) == 0;
}

// The failed accepts the lines about them count: "... (<n> so far)" or "(<n> since ...)".
long failed_accepts(const std::string& log, int& lines) {
  static const std::regex line(R"(cannot accept[^\n]*\((\d+) (so far|since the last report)\))");
  long total = 0;
  lines = 0;
  for (auto it = std::sregex_iterator(log.begin(), log.end(), line); it != std::sregex_iterator();
       ++it) {
    ++lines;
    total += std::stol((*it)[1]);
  }
  return total;
}

// A server to starve of descriptors, and a socket made beforehand to connect while starved.
class StarvedServerTest : public ServerWithOptionsTest {
 protected:
  void SetUp() override {
    options_.accept_backoff = 100ms;
    // No connection may time out, and free a descriptor, while the limit holds.
    options_.hello_timeout = 60s;
    server_ = serve(options_);
    // The loop serves a key and fires a timer first, over a connection kept to the end: the
    // sanitizers check a type the first time they meet it, and that check needs descriptors.
    early_ = connect();
    ASSERT_TRUE(early_);
    std::uint32_t context = early_->create_context(document_);
    ASSERT_EQ(early_->key_down(context, *key_for_character('i')), true);
    std::promise<void> timer_fired;
    server_->run_later(0ms, [&] { timer_fired.set_value(); });
    ASSERT_EQ(timer_fired.get_future().wait_for(5s), std::future_status::ready);
    std::error_code error;
    waiting_ = unix_socket::make_socket(SOCK_SEQPACKET, error);
    ASSERT_TRUE(waiting_) << error.message();
    unix_socket::make_address(runtime_.path() / wire::socket_file_name(kName), address_,
                              address_length_);
  }
  bool connect_waiting() {
    return ::connect(waiting_.get(), reinterpret_cast<sockaddr*>(&address_), address_length_) == 0;
  }

  ServerOptions options_;
  std::unique_ptr<ServerThread> server_;
  RecordingDocument document_;
  std::unique_ptr<Connection> early_;
  UniqueFd waiting_;
  sockaddr_un address_{};
  socklen_t address_length_ = 0;
};

TEST_F(StarvedServerTest, OutOfDescriptorsTheServerRestsInsteadOfSpinning) {
  testing::internal::CaptureStderr();
  std::chrono::steady_clock::duration starved{};
  ASSERT_TRUE(without_new_descriptors([&] {
    auto started = std::chrono::steady_clock::now();
    // Queued; the server cannot accept it.
    EXPECT_TRUE(connect_waiting());
    std::this_thread::sleep_for(1s);
    starved = std::chrono::steady_clock::now() - started;
  }));
  // With descriptors back, the queued connection is accepted and served.
  RawClient late(std::move(waiting_));
  EXPECT_NE(late.greet_and_create_context(), 0u);
  // The last line of the burst comes when the server goes.
  server_.reset();
  std::string log = testing::internal::GetCapturedStderr();
  int lines = 0;
  long failures = failed_accepts(log, lines);
  EXPECT_GE(lines, 1) << log;
  EXPECT_LE(lines, 2) << log;
  // One try per rest: a loop polling the listener over and over fails thousands of times.
  EXPECT_GE(failures, 1) << log;
  EXPECT_LE(failures, starved / options_.accept_backoff + 2) << log;
}

TEST_F(StarvedServerTest, OutOfDescriptorsAConnectionThatNeverSaidHelloGivesWay) {
  RawClient stranger(runtime_.path());
  // Accepted: its request out of turn is answered.
  ports::Message answer;
  ASSERT_TRUE(stranger.send(MessageId::CreateContext, {}));
  ASSERT_EQ(stranger.receive(answer), wire::Receiver::Result::Message);
  testing::internal::CaptureStderr();
  std::uint32_t context = 0;
  ASSERT_TRUE(without_new_descriptors([&] {
    ASSERT_TRUE(connect_waiting());
    RawClient application(std::move(waiting_));
    context = application.greet_and_create_context();
  }));
  EXPECT_NE(context, 0u);
  EXPECT_TRUE(closed_by_server(stranger));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(ServerRobustnessTest, ContextsPastTheBoundAreRefusedAndAllGoWithTheConnection) {
  ASSERT_FALSE(server_.error());
  const std::size_t bound = ServerOptions{}.max_contexts;
  auto connection = connect();
  ASSERT_TRUE(connection);
  RecordingDocument document;
  std::vector<std::uint32_t> contexts;
  for (std::size_t i = 0; i < bound; ++i) {
    contexts.push_back(connection->create_context(document));
    ASSERT_NE(contexts.back(), 0u) << i;
  }
  EXPECT_EQ(connection->create_context(document), 0u);
  EXPECT_EQ(server_.context_count(), bound);
  // A context closed makes room for one more.
  connection->destroy_context(contexts.front());
  EXPECT_NE(connection->create_context(document), 0u);
  EXPECT_EQ(connection->create_context(document), 0u);
  // Another application has its own bound.
  auto other = connect();
  ASSERT_TRUE(other);
  EXPECT_NE(other->create_context(document), 0u);

  connection.reset();
  other.reset();
  EXPECT_TRUE(wait_for([&] { return server_.context_count() == 0; }));
  EXPECT_EQ(log_.destroyed(), static_cast<int>(bound) + 2);
}

TEST_F(ServerWithOptionsTest, AProcesssConnectionsShareOneBoundOfContexts) {
  ServerOptions options;
  options.max_contexts = 4;
  options.max_process_contexts = 6;
  auto server = serve(options);
  auto first = connect();
  auto second = connect();
  ASSERT_TRUE(first && second);
  RecordingDocument document;
  std::vector<std::uint32_t> firsts;
  for (int i = 0; i < 4; ++i) {
    firsts.push_back(first->create_context(document));
    ASSERT_NE(firsts.back(), 0u) << i;
  }
  // The second connection of the same process gets only what is left of the process's bound.
  EXPECT_NE(second->create_context(document), 0u);
  EXPECT_NE(second->create_context(document), 0u);
  EXPECT_EQ(second->create_context(document), 0u);
  EXPECT_EQ(server->context_count(), 6u);
  // Contexts closed on one connection make room on the other.
  first->destroy_context(firsts[0]);
  EXPECT_NE(second->create_context(document), 0u);
  EXPECT_EQ(second->create_context(document), 0u);
}

std::string present_range(Range range) {
  return wire::Writer().u8(static_cast<std::uint8_t>(wire::Status::Ok)).u8(1).range(range).take();
}

TEST_F(ServerWithOptionsTest, AnApplicationThatNeverAnswersCostsOneDeadlineNotOnePerKey) {
  ServerOptions options;
  options.query_timeout = 1s;
  auto server = serve(options);
  RawClient silent(runtime_.path());
  ASSERT_TRUE(silent.connected());
  std::uint32_t silent_context = silent.greet_and_create_context();
  ASSERT_NE(silent_context, 0u);
  auto connection = connect();
  ASSERT_TRUE(connection);
  RecordingDocument document;
  std::uint32_t context = connection->create_context(document);
  ASSERT_NE(context, 0u);
  log_.take();

  // Each "q" asks three queries. The silent application is asked the first only, once.
  constexpr int kKeys = 8;
  std::vector<ports::Message> queries;
  auto started = std::chrono::steady_clock::now();
  for (int i = 0; i < kKeys; ++i) {
    ASSERT_TRUE(silent.send(MessageId::KeyDown, key_payload(silent_context, 'q')));
    ASSERT_TRUE(silent.reply(queries)) << i;
    EXPECT_EQ(connection->key_down(context, *key_for_character('q')), true) << i;
  }
  auto took = std::chrono::steady_clock::now() - started;
  ASSERT_EQ(queries.size(), 1u);
  EXPECT_EQ(queries[0].id, static_cast<std::int32_t>(MessageId::SelectedRange));
  // One deadline missed, not one per key (nor three).
  EXPECT_GE(took, options.query_timeout);
  EXPECT_LT(took, 3 * options.query_timeout);
  std::vector<std::string> expected;
  for (int i = 0; i < kKeys; ++i) {
    expected.insert(expected.end(), {"key q 12 0 nocaps", "query none none none",
                                     "key q 12 0 nocaps", "query 3,0 你 100,500,0,16"});
  }
  EXPECT_EQ(log_.take(), expected);

  // Its late answer shows it is back: it is asked again, and its answers count.
  ASSERT_TRUE(silent.answer(queries[0], present_range({7, 0})));
  queries.clear();
  ASSERT_TRUE(silent.send(MessageId::KeyDown, key_payload(silent_context, 'q')));
  while (true) {
    ports::Message message;
    ASSERT_EQ(silent.receive(message), wire::Receiver::Result::Message);
    if (message.kind == ports::FrameKind::Reply) break;
    queries.push_back(message);
    // "None" to the substring and the line.
    std::string none = wire::Writer().u8(0).u8(0).take();
    bool selected = message.id == static_cast<std::int32_t>(MessageId::SelectedRange);
    ASSERT_TRUE(silent.answer(message, selected ? present_range({5, 1}) : none));
  }
  EXPECT_EQ(queries.size(), 3u);
  EXPECT_THAT(log_.take(), testing::ElementsAre("key q 12 0 nocaps", "query 5,1 none none"));
}

}  // namespace
}  // namespace platform::imk
