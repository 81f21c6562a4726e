// What a context finds when it gets the keyboard back: English mode from the Caps Lock light,
// and a composition it left open.
#include "modes_fixture.h"
#include "IMKKEP/tests/host_window_fixture.h"

#include <chrono>
#include <filesystem>

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

namespace keyroad_test {
namespace {

TEST_F(ModesTest, ASettingEditedOnDiskIsSeenWhenTheSameContextComesBack) {
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  type(controller, client, "ni");
  ASSERT_EQ(controller.conversation()->ncand, 6);
  type(controller, client, "<esc>");

  // The user edits the file while the context is away.
  const std::filesystem::path file = std::string(QAGetAppSupportPathString()) + "/imkkep.plist";
  std::error_code error;
  auto read = platform::plist::read_file(file, error);
  ASSERT_TRUE(read && read->as_dictionary());
  platform::plist::Dictionary edited = *read->as_dictionary();
  edited.set("CandidateNumber", 3);
  ASSERT_TRUE(platform::plist::save_atomic(file, edited, error));
  std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) +
                                             std::chrono::seconds(2));

  controller.deactivateServer(client, platform::imk::DeactivationReason::FocusMoved, {});
  controller.activateServer(client);
  type(controller, client, "ni");
  EXPECT_EQ(controller.conversation()->ncand, 3);
}

}  // namespace
}  // namespace keyroad_test

namespace keyroad_test {
namespace {

TEST_F(ModesTest, EveryActivationMessageCarriesTheModesOfTheContext) {
  host_test::FakeCandidateWindow window;
  ASSERT_TRUE(window.serving());
  FakeClient client;
  open(client);
  // The messages go one way: wait until the activation has arrived, then take what has.
  ASSERT_TRUE(window.wait_for_id(100)) << "activation tells the window";
  const std::vector<host_test::WindowMessage> sent = window.settled();
  int activations = 0;
  for (const host_test::WindowMessage& message : sent) {
    if (message.id != 100) continue;
    ++activations;
    const std::optional<platform::plist::Dictionary> payload = message.dictionary();
    ASSERT_TRUE(payload);
    const platform::plist::Value* status = payload->find("STATUS");
    ASSERT_TRUE(status && status->as_dictionary());
    // A new context types full pinyin with full-width punctuation.
    EXPECT_EQ(status->as_dictionary()->find("PINYIN")->bool_value(), true);
    EXPECT_EQ(status->as_dictionary()->find("FULL_WIDTH_PUNCT")->bool_value(), true);
  }
  EXPECT_GE(activations, 1);
}

}  // namespace
}  // namespace keyroad_test
