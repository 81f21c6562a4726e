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
  play(controller, client, "xian");
  const std::vector<bool> answers = play(controller, client, "<ctrl-tap>");
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_TRUE(answers[0]) << "Control pressed while composing goes to the engine";
  EXPECT_FALSE(answers[1]);
  FakeClient idle;
  imkkep::KEPInputController& other = open(idle);
  EXPECT_EQ(play(other, idle, "<ctrl-tap>"), (std::vector<bool>{false, false}));
}

}  // namespace
}  // namespace keyroad_test
