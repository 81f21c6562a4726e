// Gesture scripts: modifier taps, Caps Lock, menu items and focus changes among typed keys.
#include <gtest/gtest.h>

#include "platform/imk/gesture_script.h"

namespace platform::imk {
namespace {

using Kind = Gesture::Kind;

Gesture of_kind(Kind kind) {
  Gesture gesture;
  gesture.kind = kind;
  return gesture;
}

Gesture key(std::string characters, std::uint16_t code, std::uint64_t flags = 0) {
  Gesture gesture = of_kind(Kind::Key);
  gesture.key = KeyStroke{std::move(characters), code, flags};
  return gesture;
}

Gesture flags(std::uint16_t code, std::uint64_t value, std::optional<bool> caps = std::nullopt) {
  Gesture gesture = of_kind(Kind::FlagsChanged);
  gesture.key = KeyStroke{"", code, value};
  gesture.caps_lock = caps;
  return gesture;
}

Gesture menu(int tag) {
  Gesture gesture = of_kind(Kind::InvokeMenuItem);
  gesture.menu_tag = tag;
  return gesture;
}

Gesture deactivate(std::optional<std::string> source = std::nullopt) {
  Gesture gesture = of_kind(Kind::Deactivate);
  gesture.input_source = std::move(source);
  return gesture;
}

Gesture wait(int ms) {
  Gesture gesture = of_kind(Kind::Wait);
  gesture.wait_ms = ms;
  return gesture;
}

std::string describe(const Gesture& g) {
  return std::to_string(static_cast<int>(g.kind)) + " '" + g.key.characters + "' " +
         std::to_string(g.key.key_code) + " " + std::to_string(g.key.modifier_flags) + " caps=" +
         (g.caps_lock ? std::to_string(*g.caps_lock) : "-") + " tag=" +
         std::to_string(g.menu_tag) + " source=" + g.input_source.value_or("-") + " wait=" +
         std::to_string(g.wait_ms);
}

TEST(GestureScriptTest, EachGestureBecomesItsEvents) {
  const std::uint16_t kF5 = kKeyF5;
  const std::pair<const char*, std::vector<Gesture>> cases[] = {
      {"<shift-tap>", {flags(56, 0x20002), flags(56, 0)}},
      {"<lshift>", {flags(56, 0x20002), flags(56, 0)}},
      {"<rshift>", {flags(60, 0x20004), flags(60, 0)}},
      {"<ctrl-tap>", {flags(59, 0x40001), flags(59, 0)}},
      {"<caps-on>", {flags(57, 0x10000, true)}},
      {"<caps-off>", {flags(57, 0, false)}},
      {"<F5>", {key("\xef\x9c\x88", kF5)}},
      {"<f5>", {key("\xef\x9c\x88", kF5)}},
      {"<opt-F12>", {key("\xef\x9c\x8f", kKeyF12, kOptionFlag)}},
      {"<menu:1010>", {menu(1010)}},
      {"<menu:-3>", {menu(-3)}},
      {"<activate>", {of_kind(Kind::Activate)}},
      {"<deactivate>", {deactivate()}},
      {"<deactivate:com.example.abc>", {deactivate("com.example.abc")}},
      {"a<shift-tap>b", {key("a", 0), flags(56, 0x20002), flags(56, 0), key("b", 11)}},
      {"<opt-1><lt>", {key("1", 18, kOptionFlag), key("<", 43, kShiftFlag)}},
      {"<wait:1>", {wait(1)}},
      {"<wait:600000>", {wait(600000)}},
      {"<wait:0250>", {wait(250)}},
      {"v<wait:300>1", {key("v", 9), wait(300), key("1", 18)}},
  };
  for (const auto& [script, expected] : cases) {
    SCOPED_TRACE(script);
    std::string error;
    auto gestures = parse_gesture_script(script, &error);
    ASSERT_TRUE(gestures) << error;
    ASSERT_EQ(gestures->size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(describe((*gestures)[i]), describe(expected[i])) << i;
    }
  }
}

TEST(GestureScriptTest, BadScriptsAreRefusedWithAReason) {
  const std::pair<const char*, const char*> cases[] = {
      {"<menu:>", "menu tag"},
      {"<menu:12x>", "menu tag"},
      {"<shift-tapp>", "unknown key <shift-tapp>"},
      {"<caps>", "unknown key <caps>"},
      {"<F16>", "unknown key <F16>"},
      {"a<activate", "without \">\""},
      {"<wait:0>", "wait is not a number of milliseconds from 1 to 600000 in <wait:0>"},
      {"<wait:600001>", "wait is not"},
      {"<wait:99999999999>", "wait is not"},
      {"<wait:>", "wait is not"},
      {"<wait:-5>", "wait is not"},
      {"<wait:+5>", "wait is not"},
      {"<wait: 5>", "wait is not"},
      {"<wait:1e3>", "wait is not"},
      {"<wait:0x10>", "wait is not"},
      {"<wait>", "unknown key <wait>"},
  };
  for (const auto& [script, reason] : cases) {
    SCOPED_TRACE(script);
    std::string error;
    EXPECT_FALSE(parse_gesture_script(script, &error));
    EXPECT_NE(error.find(reason), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace platform::imk
