// Modifier keys alone: the switch key (Shift or Caps Lock) between Chinese and English, the
// selection hot key, and Control's suggestion.
#include "modes_fixture.h"

#include "CoreSource/record/conversation.h"
#include "platform/imk/gesture_script.h"

namespace keyroad_test {
namespace {

using platform::imk::EventType;
using platform::imk::Gesture;

constexpr int kSwitchCapsLock = 0;
constexpr int kSwitchShift = 1;

class ModifierKeysTest : public ModesTest {
 protected:
  // Plays a gesture script's keys and modifier changes; the "handled" answer of each.
  std::vector<bool> play(imkkep::KEPInputController& controller, FakeClient& client,
                         std::string_view script) {
    std::string error;
    const auto gestures = platform::imk::parse_gesture_script(script, &error);
    if (!gestures) throw std::invalid_argument(error);
    std::vector<bool> answers;
    for (const Gesture& gesture : *gestures) {
      if (gesture.caps_lock) client.caps_lock = *gesture.caps_lock;
      const EventType type = gesture.kind == Gesture::Kind::FlagsChanged ? EventType::FlagsChanged
                                                                          : EventType::KeyDown;
      answers.push_back(controller.handleEvent(
          {type, gesture.key.characters, gesture.key.key_code, gesture.key.modifier_flags},
          client));
    }
    return answers;
  }

  std::string page_candidate(imkkep::KEPInputController& controller, int i) {
    return reinterpret_cast<const char*>(controller.conversation()->cands[i].hz);
  }
};

TEST_F(ModifierKeysTest, ATapOfShiftSwitchesAndAShiftedLetterDoesNot) {
  set_setting("Switcher", kSwitchShift);
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  play(controller, client, "<shift-tap>");
  EXPECT_EQ(controller.conversation()->roman_mode, 1);
  EXPECT_EQ(play(controller, client, "a"), std::vector<bool>{false}) << "English: the client's";

  // Shift held for a capital: the letter disarms the switch key before Shift goes up.
  const Event shift_down{EventType::FlagsChanged, "", 56, 0x20002};
  const Event capital{EventType::KeyDown, "A", 0, 0x20002};
  const Event all_up{EventType::FlagsChanged, "", 56, 0};
  for (const Event& event : {shift_down, capital, all_up}) controller.handleEvent(event, client);
  EXPECT_EQ(controller.conversation()->roman_mode, 1);

  play(controller, client, "<shift-tap>");
  EXPECT_EQ(controller.conversation()->roman_mode, 0);
  EXPECT_EQ(play(controller, client, "n"), std::vector<bool>{true});
}

TEST_F(ModifierKeysTest, CapsLockWhileComposingCommitsTheLetters) {
  set_setting("Switcher", kSwitchCapsLock);
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  play(controller, client, "nihao<caps-on>");
  EXPECT_EQ(client.inserted(), (std::vector<std::string>{"nihao"}));
  EXPECT_EQ(controller.conversation()->inoff, 0);
  EXPECT_EQ(controller.conversation()->roman_mode, 1);
  play(controller, client, "<caps-off>");
  EXPECT_EQ(controller.conversation()->roman_mode, 0);
}

TEST_F(ModifierKeysTest, TheHotKeyPicksTheSecondOrThirdCandidate) {
  set_setting("ApplyHotKeySelection", true);
  struct Case {
    const char* tap;
    const char* digit;
  };
  for (const Case& k : {Case{"<lshift>", "2"}, Case{"<rshift>", "3"}}) {
    SCOPED_TRACE(k.tap);
    // The tap does what typing the candidate's digit does.
    FakeClient tapped;
    imkkep::KEPInputController& by_tap = open(tapped);
    play(by_tap, tapped, std::string("shurufa") + k.tap);
    FakeClient typed;
    imkkep::KEPInputController& by_digit = open(typed);
    play(by_digit, typed, std::string("shurufa") + k.digit);
    EXPECT_EQ(by_tap.conversation()->inoff, by_digit.conversation()->inoff);
    EXPECT_EQ(by_tap.conversation()->pyoff, by_digit.conversation()->pyoff);
    ASSERT_GT(by_tap.conversation()->pyoff, 0) << "a candidate was chosen";
    EXPECT_EQ(tapped.inserted(), typed.inserted());
    EXPECT_EQ(by_tap.conversation()->roman_mode, 0) << "the hot key does not switch to English";
  }
}

TEST_F(ModifierKeysTest, WithoutTheHotKeyAShiftTapWhileCandidatesShowChoosesNothing) {
  set_setting("Switcher", kSwitchCapsLock);
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  play(controller, client, "shurufa<lshift>");
  EXPECT_TRUE(client.inserted().empty());
  EXPECT_GT(controller.conversation()->inoff, 0);
}

TEST_F(ModifierKeysTest, ControlAloneWhileComposingAsksForTheNextSplit) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  // A composition without candidates (a raw string begun by a capital letter).
  play(controller, client, "Abc");
  ASSERT_EQ(controller.conversation()->ncand, 0);
  const std::vector<bool> answers = play(controller, client, "<ctrl-tap>");
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_TRUE(answers[0]) << "Control pressed while composing goes to the engine";
  EXPECT_FALSE(answers[1]);
  // While candidates show, a modifier alone is refused: the composition stays as it was.
  FakeClient choosing;
  imkkep::KEPInputController& showing = open(choosing);
  play(showing, choosing, "xian");
  ASSERT_GT(showing.conversation()->ncand, 0);
  const std::string marked = choosing.marked();
  EXPECT_EQ(play(showing, choosing, "<ctrl-tap>"), (std::vector<bool>{false, false}));
  EXPECT_EQ(choosing.marked(), marked);
  FakeClient idle;
  imkkep::KEPInputController& other = open(idle);
  EXPECT_EQ(play(other, idle, "<ctrl-tap>"), (std::vector<bool>{false, false}));
}

// While candidates show, a modifier key alone is refused: a stray tap must not commit the
// letters of an unfinished word. Caps Lock alone still acts, as its light has already changed.
struct Tap {
  const char* name;
  std::uint16_t key_code;
  std::uint64_t flags;
};

constexpr Tap kTaps[] = {
    {"left Shift", 56, 0x20002},    {"right Shift", 60, 0x20004},
    {"left Control", 59, 0x40001},  {"left Option", 58, 0x80020},
    {"left Command", 55, 0x100008},
};

TEST_F(ModifierKeysTest, AModifierTapWhileCandidatesShowKeepsTheComposition) {
  set_setting("Switcher", kSwitchShift);
  for (const Tap& tap : kTaps) {
    SCOPED_TRACE(tap.name);
    FakeClient client;
    imkkep::KEPInputController& controller = open(client);
    play(controller, client, "nihao");
    ASSERT_GT(controller.conversation()->ncand, 0) << "candidates show";
    const std::string marked = client.marked();
    // Pressed alone and let go: its own key code with its flags, then with nothing held.
    for (std::uint64_t flags : {tap.flags, std::uint64_t{0}}) {
      EXPECT_FALSE(controller.handleEvent({EventType::FlagsChanged, "", tap.key_code, flags},
                                          client));
    }
    EXPECT_TRUE(client.inserted().empty());
    EXPECT_EQ(controller.conversation()->inoff, 5);
    EXPECT_EQ(controller.conversation()->roman_mode, 0);
    EXPECT_EQ(client.marked(), marked);
    // The word goes on where it was.
    EXPECT_EQ(play(controller, client, "<space>"), std::vector<bool>{true});
    EXPECT_EQ(client.inserted(), std::vector<std::string>{"你好"});
  }
}

TEST_F(ModifierKeysTest, TheShiftSwitchActsAgainOnceTheWordIsCommitted) {
  set_setting("Switcher", kSwitchShift);
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  play(controller, client, "nihao<shift-tap>");
  EXPECT_EQ(controller.conversation()->roman_mode, 0);
  play(controller, client, "<space><shift-tap>");
  EXPECT_EQ(controller.conversation()->roman_mode, 1);
  EXPECT_EQ(client.inserted(), std::vector<std::string>{"你好"});
}

}  // namespace
}  // namespace keyroad_test
