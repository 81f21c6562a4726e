// What the candidate window learns when a context gets the keyboard back or loses it: the
// composition it left open is shown again where it was typed, and only leaving for another
// input source hides the window program's windows.
#include <algorithm>

#include "CoreSource/record/engine_globals.h"
#include "IMKKEP/tests/host_window_fixture.h"
#include "modes_fixture.h"

namespace keyroad_test {
namespace {

using platform::imk::DeactivationReason;

std::vector<std::int32_t> ids_of(const std::vector<host_test::WindowMessage>& messages) {
  std::vector<std::int32_t> ids;
  for (const host_test::WindowMessage& message : messages) ids.push_back(message.id);
  return ids;
}

bool has(const std::vector<std::int32_t>& ids, std::int32_t id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

std::optional<std::string> candidates_of(const host_test::WindowMessage& message) {
  const std::optional<platform::plist::Dictionary> payload = message.dictionary();
  if (!payload || !payload->contains("CANDIDATES")) return std::nullopt;
  return payload->find("CANDIDATES")->string_value();
}

TEST_F(ModesTest, AContextComingBackShowsItsCompositionWhereItWasTyped) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  host_test::FakeCandidateWindow window;
  ASSERT_TRUE(window.serving());
  type(controller, client, "nihao");
  const std::vector<host_test::WindowMessage> typing = window.settled();
  ASSERT_FALSE(typing.empty());
  ASSERT_EQ(typing.back().id, 106);
  const std::optional<std::string> page = candidates_of(typing.back());
  ASSERT_TRUE(page);
  // Only the first key placed the window: the last one left it where it was.
  EXPECT_EQ(typing.back().dictionary()->find("X")->integer_value(), 0);
  controller.deactivateServer(client, DeactivationReason::FocusMoved, {});

  // The client's caret line has moved meanwhile; the window goes where the typing began.
  client.answers_queries = false;
  controller.activateServer(client);
  const std::vector<host_test::WindowMessage> sent = window.settled();
  const std::vector<host_test::WindowMessage> back(sent.begin() + typing.size(), sent.end());
  const auto shown = std::find_if(back.begin(), back.end(), [&](const host_test::WindowMessage& m) {
    return m.id == 106 && candidates_of(m) == page;
  });
  ASSERT_NE(shown, back.end()) << "the open composition was not shown again";
  const auto activated = std::find_if(back.begin(), back.end(),
                                      [](const host_test::WindowMessage& m) { return m.id == 100; });
  EXPECT_LT(activated, shown) << "the window learns the context's modes first";
  const std::optional<platform::plist::Dictionary> payload = shown->dictionary();
  EXPECT_EQ(payload->find("X")->integer_value(), 100);
  EXPECT_EQ(payload->find("Y")->integer_value(), 200);
  EXPECT_NE(controller.conversation()->mode & 0x2, 0u) << "the window is recorded as shown";
  EXPECT_FALSE(has(ids_of(back), 104));
  EXPECT_EQ(client.marked(), "ni'hao");
}

TEST_F(ModesTest, OnlyACompositionWithCandidatesIsShownAgain) {
  struct Case {
    const char* keys;
    bool english;
    bool hides;  // nothing open: the window is told to hide
  } cases[] = {
      {"", false, true},
      {"Ni", false, false},  // raw keys: no candidates to show
      {"ni", true, false},   // English mode since
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::string(k.keys) + (k.english ? ", English" : ""));
    FakeClient client;
    imkkep::KEPInputController& controller = open(client);
    type(controller, client, k.keys);
    controller.deactivateServer(client, DeactivationReason::FocusMoved, {});
    controller.conversation()->roman_mode = k.english ? 1 : 0;
    host_test::FakeCandidateWindow window;
    ASSERT_TRUE(window.serving());
    controller.activateServer(client);
    const std::vector<std::int32_t> ids = ids_of(window.settled());
    ASSERT_TRUE(has(ids, 100));
    EXPECT_FALSE(has(ids, 106));
    EXPECT_EQ(has(ids, 104), k.hides);
    controller.deactivateServer(client, DeactivationReason::FocusMoved, {});
  }
}

TEST_F(ModesTest, OnlyLeavingForAnotherInputSourceHidesTheWindowProgram) {
  struct Case {
    const char* what;
    DeactivationReason reason;
    const char* source;
    bool hides;
  } cases[] = {
      {"another input source", DeactivationReason::InputSourceChanged,
       "com.example.keylayout.US", true},
      {"this input method", DeactivationReason::InputSourceChanged, "IMKKEP", false},
      {"this input method, named in lower case", DeactivationReason::InputSourceChanged, "imkkep",
       false},
      {"no current input source", DeactivationReason::InputSourceChanged, "", false},
      {"another application", DeactivationReason::FocusMoved, "", false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    FakeClient client;
    imkkep::KEPInputController& controller = open(client);
    type(controller, client, "ni");
    host_test::FakeCandidateWindow window;
    ASSERT_TRUE(window.serving());
    controller.deactivateServer(client, k.reason, k.source);
    const std::vector<host_test::WindowMessage> sent = window.settled();
    EXPECT_EQ(has(ids_of(sent), 101), k.hides);
    if (k.hides) {
      ASSERT_EQ(sent.size(), 1u) << "nothing but the one message";
      EXPECT_EQ(sent[0].payload, "");
    } else {
      EXPECT_TRUE(sent.empty());
    }
  }
}

}  // namespace
}  // namespace keyroad_test
