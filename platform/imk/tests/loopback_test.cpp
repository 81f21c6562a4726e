// An application and the server talking over a real socket: the server's loop on a thread,
// the client library on the test's.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>

#include "platform/imk/client.h"
#include "platform/imk/gesture_player.h"
#include "platform/imk/tests/imk_test_support.h"
#include "platform/tests/runtime_test_support.h"

namespace platform::imk {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing_support::CallLog;
using testing_support::RecordingDocument;
using testing_support::RecordingMethod;
using testing_support::ServerThread;
using Write = RecordingDocument::Write;

constexpr const char* kName = testing_support::kTestConnectionName;
using testing_support::terminal_info;

class LoopbackTest : public testing_support::ServedInputMethodTest {
 protected:
  // A connection with one context on `document`.
  std::pair<std::unique_ptr<Connection>, std::uint32_t> open_context(
      Document& document, const ClientInfo& info = terminal_info()) {
    auto connection = connect(info);
    std::uint32_t context = connection ? connection->create_context(document) : 0;
    EXPECT_NE(context, 0u);
    return {std::move(connection), context};
  }
};

TEST_F(LoopbackTest, EventsReachTheControllerWithKeyCodeFlagsAndCapsLock) {
  ASSERT_FALSE(server_.error()) << server_.error().message();
  RecordingDocument document;
  auto [connection, context] = open_context(document);
  ASSERT_TRUE(connection);
  ASSERT_NE(context, 0u);

  ClientInfo seen = log_.info();
  EXPECT_EQ(seen.application_path, "/Applications/Terminal.app");
  EXPECT_EQ(seen.bundle_identifier, "com.example.terminal");
  EXPECT_EQ(seen.word_width, 64);
  EXPECT_EQ(seen.supports_unicode, std::optional<bool>(true));
  EXPECT_EQ(log_.pid(), ::getpid());

  EXPECT_TRUE(connection->activate(context, true));
  std::string error;
  auto keys = parse_key_script("n<caps-a><opt-1>x", &error);
  ASSERT_TRUE(keys) << error;
  std::vector<std::optional<bool>> handled;
  for (const KeyStroke& key : *keys) handled.push_back(connection->key_down(context, key));
  handled.push_back(
      connection->flags_changed(context, kShiftFlag | kLeftShiftBit, 56));
  EXPECT_THAT(handled, ElementsAre(true, true, true, false, false));
  EXPECT_TRUE(connection->deactivate(context, DeactivationReason::InputSourceChanged,
                                     "com.example.abc"));
  EXPECT_TRUE(connection->deactivate(context, DeactivationReason::FocusMoved));
  EXPECT_THAT(log_.take(), ElementsAre("activate caps", "key n 45 0 nocaps",
                                       "key a 0 0x10000 caps", "key 1 18 0x80000 nocaps",
                                       "key x 7 0 nocaps", "flags 56 0x20002 nocaps",
                                       "deactivate source com.example.abc", "deactivate focus "));
}

TEST_F(LoopbackTest, MarkedTextAndInsertsReachTheDocumentSizedForTheWordWidth) {
  ASSERT_FALSE(server_.error());
  const std::pair<int, std::uint64_t> cases[] = {{32, 0x7FFFFFFFull},
                                                 {64, 0x7FFFFFFFFFFFFFFFull}};
  for (const auto& [width, not_found] : cases) {
    SCOPED_TRACE(width);
    RecordingDocument document;
    auto [connection, context] = open_context(document, terminal_info(width));
    ASSERT_TRUE(connection);
    ASSERT_TRUE(connection->activate(context, false));
    ASSERT_EQ(connection->key_down(context, *key_for_character('m')), true);
    ASSERT_EQ(connection->key_down(context, *key_for_character('i')), true);
    EXPECT_THAT(document.writes,
                ElementsAre(Write{"marked", "ni", {2, 0}, {not_found, 0}},
                            Write{"insert", "你好", {not_found, 0}, {}}));
    EXPECT_THAT(document.marked_styles, ElementsAre(MarkedTextStyle{Underline::Thick}));
  }
}

TEST_F(LoopbackTest, QueriesAreAnsweredFromTheDocumentWhileTheKeyWaits) {
  ASSERT_FALSE(server_.error());
  RecordingDocument document;
  auto [connection, context] = open_context(document);
  ASSERT_TRUE(connection);
  EXPECT_EQ(connection->key_down(context, *key_for_character('q')), true);
  EXPECT_THAT(log_.take(), ElementsAre("key q 12 0 nocaps", "query 3,0 你 100,500,0,16"));
}

TEST_F(LoopbackTest, AQueryUnansweredInTimeIsNoAnswerAndTheKeyIsStillAnswered) {
  ASSERT_FALSE(server_.error());
  RecordingDocument document;
  document.slow_selected_range = kQueryTimeout + 250ms;
  auto [connection, context] = open_context(document);
  ASSERT_TRUE(connection);
  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(connection->key_down(context, *key_for_character('q')), true);
  EXPECT_GE(std::chrono::steady_clock::now() - started, kQueryTimeout);
  // Once a deadline has passed, the key's other queries are not asked: no answer at once.
  EXPECT_THAT(log_.take(), ElementsAre("key q 12 0 nocaps", "query none none none"));

  // The late answer came before this key, so the application is asked again; that answer is
  // not taken for the answer of the new first query.
  document.slow_selected_range.reset();
  EXPECT_EQ(connection->key_down(context, *key_for_character('q')), true);
  EXPECT_THAT(log_.take(), ElementsAre("key q 12 0 nocaps", "query 3,0 你 100,500,0,16"));
}

TEST_F(LoopbackTest, TextsThatAreNotUtf8AreRefusedAtTheProtocol) {
  ASSERT_FALSE(server_.error());
  RecordingDocument document;
  auto [connection, context] = open_context(document);
  ASSERT_TRUE(connection);

  // A key: answered "not handled" without reaching the controller.
  EXPECT_EQ(connection->key_down(context, KeyStroke{"\xc3(", 0, 0}), false);
  // A request: an error answer, and the connection stays usable.
  EXPECT_FALSE(connection->deactivate(context, DeactivationReason::InputSourceChanged, "\xff"));
  EXPECT_EQ(connection->error(), std::errc::invalid_argument);
  // The server's text: never reaches the document.
  EXPECT_EQ(connection->key_down(context, *key_for_character('b')), true);
  // A query answer: no answer for the controller.
  document.substring_answer = "\xe4\xbd";
  EXPECT_EQ(connection->key_down(context, *key_for_character('q')), true);
  EXPECT_THAT(log_.take(), ElementsAre("key b 11 0 nocaps", "key q 12 0 nocaps",
                                       "query 3,0 none 100,500,0,16"));
  EXPECT_THAT(document.writes, IsEmpty());

  // A hello: the connection is refused.
  ClientInfo bad = terminal_info();
  bad.bundle_identifier = "com.example.\x80";
  std::error_code error;
  EXPECT_FALSE(Connection::connect(kName, bad, error));
  EXPECT_EQ(error, std::errc::invalid_argument);
}

TEST_F(LoopbackTest, CompositionStringsMenuAndCommitReachTheController) {
  ASSERT_FALSE(server_.error());
  RecordingDocument document;
  auto [connection, context] = open_context(document);
  ASSERT_TRUE(connection);
  EXPECT_EQ(connection->original_string(context), std::optional<std::string>("ni'hao"));
  EXPECT_EQ(connection->composed_string(context), std::optional<std::string>(""));
  auto items = connection->menu(context);
  ASSERT_TRUE(items);
  ASSERT_EQ(items->size(), 7u);
  EXPECT_EQ((*items)[0].tag, 1010);
  EXPECT_EQ((*items)[0].title, "繁體輸出");
  EXPECT_EQ((*items)[0].state, 1);
  EXPECT_EQ((*items)[0].key_equivalent, "t");
  EXPECT_EQ((*items)[0].key_modifiers, kControlFlag | kShiftFlag);
  EXPECT_TRUE((*items)[1].separator);
  EXPECT_FALSE((*items)[3].enabled);
  EXPECT_EQ((*items)[4].key_equivalent, " ");
  EXPECT_TRUE(connection->invoke_menu_item(context, 1010));
  EXPECT_TRUE(connection->commit_composition(context));
  EXPECT_THAT(log_.take(), ElementsAre("invoke 1010", "commit"));
}

TEST_F(LoopbackTest, MenuKeyEquivalentsInvokeTheirItemInsteadOfReachingTheController) {
  ASSERT_FALSE(server_.error());
  RecordingDocument document;
  auto [connection, context] = open_context(document);
  ASSERT_TRUE(connection);
  struct Case {
    const char* script;
    const char* reached;
  };
  const Case cases[] = {
      {"<ctrl-shift-t>", "invoke 1010"},
      {"<ctrl-T>", "invoke 1010"},  // a capital carries Shift itself
      {"<caps-ctrl-shift-t>", "invoke 1010"},
      {"<shift-opt-a>", "invoke 1200"},
      {"<ctrl-space>", "invoke 1400"},
      {"<ctrl-t>", "key t 17 0x40000 nocaps"},
      {"<ctrl-opt-shift-t>", "key t 17 0xe0000 nocaps"},
      {"<shift-t>", "key t 17 0x20000 nocaps"},
      {"<ctrl-d>", "key d 2 0x40000 nocaps"},
      {"<space>", "key   49 0 nocaps"},
      {"m", "key m 46 0 nocaps"},
      {"<ctrl-m>", "key m 46 0x40000 nocaps"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    auto keys = parse_key_script(c.script, nullptr);
    ASSERT_TRUE(keys && keys->size() == 1);
    EXPECT_EQ(connection->key_down(context, keys->front()), true);
    EXPECT_THAT(log_.take(), ElementsAre(c.reached));
  }
  // Modifier keys alone are never a menu's key equivalent.
  EXPECT_EQ(connection->flags_changed(context, kControlFlag | kShiftFlag | kLeftShiftBit, 56),
            false);
  EXPECT_THAT(log_.take(), ElementsAre("flags 56 0x60002 nocaps"));
}

TEST_F(LoopbackTest, GesturesArriveAsTheirEventsAndCapsLockGoesWithTheLaterOnes) {
  ASSERT_FALSE(server_.error());
  RecordingDocument document;
  auto [connection, context] = open_context(document);
  ASSERT_TRUE(connection);
  auto gestures = parse_gesture_script(
      "<shift-tap><caps-on>a<rshift><menu:1010><deactivate:com.example.abc><activate>"
      "<caps-off>b<ctrl-tap><deactivate>",
      nullptr);
  ASSERT_TRUE(gestures);
  GesturePlayer player(*connection, context);
  std::vector<std::optional<bool>> answers;
  for (const Gesture& gesture : *gestures) answers.push_back(player.play(gesture));
  EXPECT_THAT(answers, ElementsAre(false, false, false, true, false, false, true, true, true,
                                   false, true, false, false, true));
  EXPECT_THAT(log_.take(),
              ElementsAre("flags 56 0x20002 nocaps", "flags 56 0 nocaps",
                          "flags 57 0x10000 caps", "key a 0 0x10000 caps",
                          "flags 60 0x30004 caps", "flags 60 0x10000 caps", "invoke 1010",
                          "deactivate source com.example.abc", "activate caps",
                          "flags 57 0 nocaps", "key b 11 0 nocaps", "flags 59 0x40001 nocaps",
                          "flags 59 0 nocaps", "deactivate focus "));
  EXPECT_FALSE(player.caps_lock());
}

TEST_F(LoopbackTest, ContextsEndWithDestroyAndWithTheirConnection) {
  ASSERT_FALSE(server_.error());
  auto connection = connect();
  ASSERT_TRUE(connection);
  RecordingDocument first, second;
  std::uint32_t one = connection->create_context(first);
  std::uint32_t two = connection->create_context(second);
  ASSERT_NE(one, two);
  EXPECT_EQ(server_.context_count(), 2u);

  connection->destroy_context(one);
  EXPECT_EQ(server_.context_count(), 1u);
  EXPECT_EQ(log_.destroyed(), 1);
  EXPECT_EQ(connection->key_down(one, *key_for_character('a')), std::nullopt);

  // Gone mid-composition: the controller goes with the connection, the server stays.
  ASSERT_EQ(connection->key_down(two, *key_for_character('m')), true);
  connection.reset();
  auto deadline = std::chrono::steady_clock::now() + 5s;
  while (log_.destroyed() < 2 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_EQ(log_.destroyed(), 2);
  EXPECT_EQ(server_.context_count(), 0u);
  auto again = connect();
  ASSERT_TRUE(again);
  RecordingDocument third;
  EXPECT_NE(again->create_context(third), 0u);
}

TEST_F(LoopbackTest, WhatTheServerSendsUnaskedReachesTheDocumentWhileTheClientServes) {
  ASSERT_FALSE(server_.error());
  RecordingDocument document;
  auto [connection, context] = open_context(document);
  ASSERT_TRUE(connection);
  ASSERT_TRUE(connection->activate(context, false));
  const Range not_found{kNotFound64, 0};
  server_.run_later(150ms, [this, not_found] {
    Client& client = *method_.last_client();
    client.set_marked_text("hao", {3, 0}, not_found, {Underline::None});
    client.insert_text("你好", not_found);
    log_.add("query " + testing_support::describe(client.selected_range()));
  });
  const auto started = std::chrono::steady_clock::now();
  EXPECT_TRUE(connection->serve_for(600ms)) << connection->error().message();
  EXPECT_GE(std::chrono::steady_clock::now() - started, 600ms);
  EXPECT_THAT(document.marked_styles, ElementsAre(MarkedTextStyle{Underline::None}));
  EXPECT_THAT(document.writes, ElementsAre(Write{"marked", "hao", {3, 0}, not_found},
                                           Write{"insert", "你好", not_found, {}}));
  EXPECT_THAT(log_.take(), ElementsAre("activate nocaps", "query 3,0"));
  EXPECT_FALSE(connection->error());

  // Sent between two calls: taken by the next wait, however short, and the connection goes on.
  server_.run_later(0ms, [this, not_found] { method_.last_client()->insert_text("再", not_found); });
  std::this_thread::sleep_for(100ms);
  EXPECT_TRUE(connection->serve_for(0ms));
  EXPECT_EQ(document.writes.back(), (Write{"insert", "再", not_found, {}}));
  EXPECT_EQ(connection->key_down(context, *key_for_character('i')), true);
  EXPECT_EQ(document.writes.size(), 4u);
}

TEST_F(LoopbackTest, ServingWithNothingToTakeLastsItsTime) {
  ASSERT_FALSE(server_.error());
  RecordingDocument document;
  auto [connection, context] = open_context(document);
  ASSERT_TRUE(connection);
  for (const auto duration : {0ms, 1ms, 250ms}) {
    SCOPED_TRACE(duration.count());
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(connection->serve_for(duration));
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_GE(took, duration);
    EXPECT_LT(took, duration + 1s);
  }
  EXPECT_THAT(document.writes, IsEmpty());
}

TEST(ImkServeTest, AConnectionTheServerClosedFailsAtOnce) {
  platform::testing_support::PrivateRuntimeDir runtime;
  CallLog log;
  RecordingMethod method(log);
  auto server = std::make_unique<ServerThread>(kName, method);
  ASSERT_FALSE(server->error());
  std::error_code error;
  auto connection = Connection::connect(kName, terminal_info(), error);
  ASSERT_TRUE(connection) << error.message();
  RecordingDocument document;
  ASSERT_NE(connection->create_context(document), 0u);
  server.reset();

  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(connection->serve_for(5s));
  EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
  EXPECT_EQ(connection->error(), std::errc::connection_reset);
  // Once failed, it stays failed with its reason.
  EXPECT_FALSE(connection->serve_for(10ms));
  EXPECT_EQ(connection->error(), std::errc::connection_reset);
}

TEST(ImkConnectTest, NobodyServingIsRefused) {
  platform::testing_support::PrivateRuntimeDir runtime;
  std::error_code error;
  EXPECT_FALSE(Connection::connect(kName, terminal_info(), error));
  EXPECT_EQ(error, std::errc::connection_refused);
  Connection::Options options;
  options.start_server = true;
  options.server_bundle_identifier = "com.example.no-such-server";
  EXPECT_FALSE(Connection::connect(kName, terminal_info(), options, error));
  EXPECT_EQ(error, std::errc::connection_refused);
}

}  // namespace
}  // namespace platform::imk
