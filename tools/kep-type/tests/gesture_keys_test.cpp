// kep-type's gesture keys: function keys for modifier presses and Caps Lock, Ctrl-T for the menu.
#include <gtest/gtest.h>

#include "gesture_keys.h"
#include "type_screen.h"

namespace kep_type {
namespace {

using platform::imk::Gesture;
using platform::imk::parse_gesture_script;

kep_terminal::TerminalKey named(std::string name) { return {std::move(name), ""}; }
kep_terminal::TerminalKey typed(std::string text) { return {"", std::move(text)}; }

TEST(GestureKeysTest, KeysBecomeTheirGesturesAndTypedKeysPassThrough) {
  struct Case {
    std::vector<kep_terminal::TerminalKey> keys;
    const char* script;  // what the last key stands for; nullptr: a key to type
  };
  const Case cases[] = {
      {{named("f2")}, "<shift-tap>"},
      {{named("f3")}, "<ctrl-tap>"},
      {{named("f4")}, "<caps-on>"},
      {{named("f4"), named("f4")}, "<caps-off>"},
      {{named("f4"), named("f4"), named("f4")}, "<caps-on>"},
      {{named("ctrl-t"), typed("1"), typed("0"), typed("1"), typed("0"), named("ret")},
       "<menu:1010>"},
      {{named("ctrl-t"), typed("7"), named("ret"), typed("7")}, nullptr},
      {{named("ctrl-t"), typed("1"), typed("a")}, ""},  // the tag is dropped, so is the key
      {{named("ctrl-t"), named("ret")}, ""},
      {{typed("a")}, nullptr},
      {{named("f5")}, nullptr},
      {{named("ret")}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script ? c.script : "(typed)");
    GestureKeys keys;
    std::optional<std::vector<Gesture>> last;
    for (const auto& key : c.keys) last = keys.take(key);
    if (c.script == nullptr) {
      EXPECT_FALSE(last);
      continue;
    }
    ASSERT_TRUE(last);
    EXPECT_EQ(*last, parse_gesture_script(c.script, nullptr).value());
  }
}

TEST(GestureKeysTest, TheMenuTagShowsWhileItIsTyped) {
  GestureKeys keys;
  EXPECT_FALSE(keys.menu_tag());
  keys.take(named("ctrl-t"));
  EXPECT_EQ(keys.menu_tag(), std::optional<std::string>(""));
  keys.take(typed("4"));
  EXPECT_EQ(keys.menu_tag(), std::optional<std::string>("4"));
  keys.take(named("ret"));
  EXPECT_FALSE(keys.menu_tag());
}

TEST(GestureKeysTest, TheStatusLineNotesCapsLockAndTheTagBeingTyped) {
  const std::tuple<bool, std::optional<std::string>, const char*> cases[] = {
      {false, std::nullopt, ""},
      {true, std::nullopt, "Caps Lock"},
      {false, "", "menu item _"},
      {true, "10", "Caps Lock  menu item 10_"},
  };
  for (const auto& [caps, tag, note] : cases) {
    EXPECT_EQ(keyboard_note(caps, tag), note);
  }
}

}  // namespace
}  // namespace kep_type
