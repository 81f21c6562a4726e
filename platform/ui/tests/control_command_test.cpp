#include "platform/ui/control_command.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/window.h"

namespace platform::ui {
namespace {

TEST(ControlCommandTest, CommandsParseIntoVerbWindowAndArguments) {
  struct Case {
    const char* text;
    ControlVerb verb;
    const char* window;
    Point location;
    int tag;
    const char* characters;
    double delta_y = 0;
    std::uint64_t modifier_flags = 0;
  };
  const Case cases[] = {
      {"down candidate 10 5", ControlVerb::Down, "candidate", {10, 5}, 0, ""},
      {"drag candidate -10.5 50", ControlVerb::Drag, "candidate", {-10.5, 50}, 0, ""},
      {"up  candidate  0   0", ControlVerb::Up, "candidate", {0, 0}, 0, ""},
      {"double status 3 4", ControlVerb::Double, "status", {3, 4}, 0, ""},
      {"move candidate 1e2 7", ControlVerb::Move, "candidate", {100, 7}, 0, ""},
      {"enter candidate 3", ControlVerb::Enter, "candidate", {}, 3, ""},
      {"exit candidate 12", ControlVerb::Exit, "candidate", {}, 12, ""},
      {"key alert y", ControlVerb::Key, "alert", {}, 0, "y"},
      {"key alert two words 中", ControlVerb::Key, "alert", {}, 0, "two words 中"},
      {"key alert  ", ControlVerb::Key, "alert", {}, 0, " "},
      {"scroll prefs 10 20 -36", ControlVerb::Scroll, "prefs", {10, 20}, 0, "", -36},
      {"scroll prefs 0 0 2.5", ControlVerb::Scroll, "prefs", {0, 0}, 0, "", 2.5},
      {"up about 3 4 shift", ControlVerb::Up, "about", {3, 4}, 0, "", 0, kShiftKeyMask},
      {"double about 3 4 command+shift+option+control", ControlVerb::Double, "about", {3, 4}, 0,
       "", 0, kShiftKeyMask | kControlKeyMask | kAlternateKeyMask | kCommandKeyMask},
      {"move about 3 4 option ", ControlVerb::Move, "about", {3, 4}, 0, "", 0, kAlternateKeyMask},
  };
  for (const Case& c : cases) {
    std::string error;
    auto command = parse_control_command(c.text, &error);
    ASSERT_TRUE(command) << c.text << ": " << error;
    EXPECT_EQ(command->verb, c.verb) << c.text;
    EXPECT_EQ(command->window, c.window) << c.text;
    EXPECT_EQ(command->location, c.location) << c.text;
    EXPECT_EQ(command->tag, c.tag) << c.text;
    EXPECT_EQ(command->characters, c.characters) << c.text;
    EXPECT_EQ(command->delta_y, c.delta_y) << c.text;
    EXPECT_EQ(command->modifier_flags, c.modifier_flags) << c.text;
  }
}

TEST(ControlCommandTest, MalformedCommandsAreRefusedWithAReason) {
  const std::string cases[] = {
      "",
      "   ",
      "clack candidate 1 2",       // unknown verb
      "click candidate 1 2",       // a click names a view, not a point
      "DOWN candidate 1 2",        // verbs are lower case
      "down",                      // no window
      "down candidate",            // no coordinates
      "down candidate 1",          // one coordinate
      "down candidate 1 2 3",      // one too many
      "down candidate x 2",
      "down candidate 1 nan",
      "down candidate inf 2",
      "down candidate 1e7 2",      // beyond any screen
      "down ../candidate 1 2",     // not a window name
      "enter candidate 0",         // tags start at 1
      "enter candidate -1",
      "enter candidate 1.5",
      "exit candidate",
      "enter candidate 99999999999",
      "scroll prefs 1 2",          // no distance
      "scroll prefs 1 2 nan",
      "scroll prefs 1 2 2e6",
      "scroll prefs 1 2 3 4",
      "scroll prefs 1 2 3 shift",  // the wheel takes no modifier keys
      "down candidate 1 2 hyper",
      "down candidate 1 2 Shift",
      "down candidate 1 2 shift+shift",
      "down candidate 1 2 shift+",
      "down candidate 1 2 +shift",
      "down candidate 1 2 shift option",
      "key alert",                 // no characters
      "key alert ",
      std::string("key alert \xff"),
      std::string("down candidate 1 2\0", 19),
      "down candidate 1 2 " + std::string(kMaxControlCommand, 'x'),
      "click prefs",               // no view
      "click prefs a b",
      "close",
      "close prefs now",
      "show",
      "show prefs again",
      "answer",
      "answer alert",              // no button key
      "answer alert BUTTON_YES BUTTON_NO",
      "answer alert BUTTON/YES",
      "answer alert " + std::string(200, 'B'),
      "answer open /tmp/a.txt",    // kinds other dialogs will take
      "answer colour 1 0 0",
      "answer font Hei 13",
      "answer Alert BUTTON_YES",
      "answer open-panel",         // no path
      "answer open-panel  ",
      "answer open-panel cancel /tmp/a.scel",
      "answer open-panel /tmp/a.scel cancel",
      "answer open-panel /tmp/a\\",   // a backslash with nothing to escape
  };
  for (const std::string& text : cases) {
    std::string error;
    EXPECT_FALSE(parse_control_command(text, &error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
}

ControlCommand clicking(ControlVerb verb, std::string window, std::string view = {}) {
  ControlCommand command;
  command.verb = verb;
  command.window = std::move(window);
  command.view = std::move(view);
  return command;
}

ControlCommand answering(std::string key) {
  ControlCommand command;
  command.verb = ControlVerb::Answer;
  command.kind = kAlertAnswer;
  command.values = {std::move(key)};
  return command;
}

TEST(ControlCommandTest, ClicksClosesShowsAndAnswersParse) {
  const std::pair<const char*, ControlCommand> cases[] = {
      {"click Preferences BUTTON_YES", clicking(ControlVerb::Click, "Preferences", "BUTTON_YES")},
      {"click Preferences com.kep.Fuzzy ",
       clicking(ControlVerb::Click, "Preferences", "com.kep.Fuzzy")},
      {"close Preferences", clicking(ControlVerb::Close, "Preferences")},
      {"show  Preferences ", clicking(ControlVerb::Show, "Preferences")},
      {"answer alert BUTTON_NO", answering("BUTTON_NO")},
      {"answer  alert  BUTTON_OK ", answering("BUTTON_OK")},
  };
  for (const auto& [text, expected] : cases) {
    std::string error;
    auto command = parse_control_command(text, &error);
    EXPECT_TRUE(command && *command == expected) << text << ": " << error;
  }
  std::string error;
  EXPECT_FALSE(parse_control_command("answer open /tmp/a", &error));
  EXPECT_EQ(error, "unknown answer kind \"open\"");
}

TEST(ControlCommandTest, AnOpenPanelIsAnsweredByPathsWithEscapesOrCancel) {
  struct Case {
    const char* text;
    std::vector<std::string> values;
  };
  const Case cases[] = {
      {"answer open-panel /tmp/a.scel", {"/tmp/a.scel"}},
      {"answer open-panel  /a/b.dict   c.scel ", {"/a/b.dict", "c.scel"}},
      {"answer open-panel /home/me/My\\ Words.scel", {"/home/me/My Words.scel"}},
      {"answer open-panel a\\\\b \\\\", {"a\\b", "\\"}},
      {"answer open-panel \\cancel", {"cancel"}},  // escaped, it is still the word
      {"answer open-panel cancel", {"cancel"}},
      {"answer open-panel 词库.scel", {"词库.scel"}},
  };
  for (const Case& c : cases) {
    std::string error;
    auto command = parse_control_command(c.text, &error);
    ASSERT_TRUE(command) << c.text << ": " << error;
    EXPECT_EQ(command->verb, ControlVerb::Answer);
    EXPECT_EQ(command->kind, kOpenPanelAnswer);
    EXPECT_EQ(command->values, c.values) << c.text;
  }
  // What kep-ui writes comes back as it was.
  for (const std::string value : {"plain", "two words", "back\\slash", " edge ", "\\ \\"}) {
    std::string error;
    auto command = parse_control_command("answer open-panel " + escape_answer_value(value), &error);
    ASSERT_TRUE(command) << value << ": " << error;
    EXPECT_EQ(command->values, std::vector<std::string>{value});
  }
  std::string error;
  EXPECT_FALSE(parse_control_command("answer open-panel cancel x", &error));
  EXPECT_EQ(error, "\"cancel\" is answered alone");
}

}  // namespace
}  // namespace platform::ui
