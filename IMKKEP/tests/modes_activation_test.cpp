// What a context finds when it gets the keyboard back: English mode from the Caps Lock light,
// and a composition it left open.
#include "modes_fixture.h"

namespace keyroad_test {
namespace {

using platform::imk::DeactivationReason;

constexpr int kSwitchCapsLock = 0;

TEST_F(ModesTest, TheCapsLockLightDecidesEnglishAtActivation) {
  set_setting("Switcher", kSwitchCapsLock);
  struct Case {
    bool reverse;
    bool light;
    const char* typed;
    int english;
  };
  const Case cases[] = {
      {false, true, "", 1},     // the light on: English
      {false, false, "", 0},
      {false, true, "ni", 0},   // a composition still open stays Chinese
      {true, true, "", 0},      // reversed: the light on means Chinese
      {true, false, "", 1},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::string(k.reverse ? "reversed, " : "") + (k.light ? "light on, " : "off, ") +
                 k.typed);
    set_setting("ReverseCapsLock", k.reverse);
    FakeClient client;
    imkkep::KEPInputController& controller = open(client);
    type(controller, client, k.typed);
    controller.deactivateServer(client, DeactivationReason::FocusMoved, {});
    client.caps_lock = k.light;
    controller.activateServer(client);
    EXPECT_EQ(controller.conversation()->roman_mode, k.english);
  }
}

TEST_F(ModesTest, ActivationAsksForTheKeyboardLayoutOnlyOfClientsThatCanChangeIt) {
  set_setting("KeyboardLayout", platform::plist::Value("com.example.keylayout.US"));
  FakeClient can;
  can.info_.can_override_keyboard = true;
  open(can);
  EXPECT_EQ(can.keyboard, "com.example.keylayout.US");
  FakeClient cannot;
  open(cannot);
  EXPECT_EQ(cannot.keyboard, "");
}

}  // namespace
}  // namespace keyroad_test
