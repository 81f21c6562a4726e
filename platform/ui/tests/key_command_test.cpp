// The control port's key and modifier verbs: how they parse and what is refused.
#include <gtest/gtest.h>

#include <string>

#include "platform/ui/control_command.h"
#include "platform/ui/window.h"

namespace platform::ui {
namespace {

TEST(KeyCommandTest, KeyCodesAndFlagsParse) {
  struct Case {
    std::string text;
    ControlVerb verb;
    int key_code;
    std::uint64_t flags;
    bool has_characters;
    std::string characters;
  };
  const Case cases[] = {
      {"keycode prefs 36 0", ControlVerb::KeyCode, 36, 0, false, ""},
      {"keycode prefs 0 0x100000", ControlVerb::KeyCode, 0, kCommandKeyMask, false, ""},
      {"keycode prefs 48 shift", ControlVerb::KeyCode, 48, kShiftKeyMask, false, ""},
      {"keycode prefs 127 4294967295", ControlVerb::KeyCode, 127, 0xffffffff, false, ""},
      {"keycode prefs 0 shift+command A", ControlVerb::KeyCode, 0,
       kShiftKeyMask | kCommandKeyMask, true, "A"},
      {"keycode prefs 49 0  ", ControlVerb::KeyCode, 49, 0, true, " "},
      {"keycode prefs 18 0X80000 ¡ two", ControlVerb::KeyCode, 18, kAlternateKeyMask, true,
       "¡ two"},
      {"flags prefs 0x20002", ControlVerb::Flags, 0, 0x20002, false, ""},
      {"flags prefs option", ControlVerb::Flags, 0, kAlternateKeyMask, false, ""},
      {"flags prefs 0", ControlVerb::Flags, 0, 0, false, ""},
  };
  for (const Case& c : cases) {
    std::string error;
    const auto command = parse_control_command(c.text, &error);
    ASSERT_TRUE(command) << c.text << ": " << error;
    EXPECT_EQ(command->verb, c.verb) << c.text;
    EXPECT_EQ(command->window, "prefs") << c.text;
    EXPECT_EQ(command->key_code, c.key_code) << c.text;
    EXPECT_EQ(command->modifier_flags, c.flags) << c.text;
    EXPECT_EQ(command->has_characters, c.has_characters) << c.text;
    EXPECT_EQ(command->characters, c.characters) << c.text;
  }
}

TEST(KeyCommandTest, BadNumbersAreRefusedWithAReason) {
  const std::string cases[] = {
      "keycode prefs",
      "keycode prefs 36",             // no flags
      "keycode prefs 128 0",          // beyond the key codes
      "keycode prefs -1 0",
      "keycode prefs 3.5 0",
      "keycode prefs 0x 0",
      "keycode prefs 36x 0",
      "keycode prefs 99999999999999999999999 0",
      "keycode prefs 36 4294967296",  // flags beyond 32 bits
      "keycode prefs 36 0x1ffffffff",
      "keycode prefs 36 -5",
      "keycode prefs 36 0x",
      "keycode prefs 36 hyper",
      "keycode prefs 36 shift+shift",
      std::string("keycode prefs 36 0 \xff"),
      "keycode bad/window 36 0",
      "flags prefs",
      "flags prefs 1e3",
      "flags prefs 0x20000 shift",    // one word only
      "flags prefs nan",
  };
  for (const std::string& text : cases) {
    std::string error;
    EXPECT_FALSE(parse_control_command(text, &error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
}

}  // namespace
}  // namespace platform::ui
