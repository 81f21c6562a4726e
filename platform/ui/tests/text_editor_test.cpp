#include "platform/ui/text_editor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace platform::ui {
namespace {

using imk::kCommandFlag;
using imk::kShiftFlag;

KeyEvent key(std::uint16_t code, std::uint64_t flags = 0) {
  return key_event_for_code(code, flags);
}

// Types `characters` one key each, as the control port's "key" does.
void type(TextEditor& editor, std::string_view characters) {
  for (const KeyEvent& event : key_events_for_characters(characters)) editor.handle_key(event);
}

// What the editor holds, with the selection bracketed and the caret as '|' when none is.
std::string shown(const TextEditor& editor) {
  std::string text = editor.text();
  const std::size_t from = editor.selection_start_byte();
  const std::size_t to = editor.selection_end_byte();
  if (from == to) return text.insert(from, "|");
  text.insert(to, "]");
  return text.insert(from, "[");
}

TEST(TextEditorTest, KeysEditAtTheCaretAndNeverSplitACharacter) {
  struct Case {
    const char* name;
    std::string start;  // the caret at the end
    std::vector<KeyEvent> keys;
    std::string expected;
  };
  const Case cases[] = {
      {"typing appends", "ab", key_events_for_characters("c中"), "abc中|"},
      {"backspace takes a whole character", "a中", {key(imk::kKeyDelete)}, "a|"},
      {"left steps over a whole character", "a中b",
       {key(imk::kKeyLeft), key(imk::kKeyLeft), key(imk::kKeyDelete)}, "|中b"},
      {"forward delete", "a中b",
       {key(imk::kKeyHome), key(imk::kKeyRight), key(imk::kKeyForwardDelete)}, "a|b"},
      {"typing at home", "bc", {key(imk::kKeyHome), KeyEvent{kNoKeyCode, 0, "数"}}, "数|bc"},
      {"home then end", "abc", {key(imk::kKeyHome), key(imk::kKeyEnd)}, "abc|"},
      {"shift-left selects", "abc", {key(imk::kKeyLeft, kShiftFlag), key(imk::kKeyLeft, kShiftFlag)},
       "a[bc]"},
      {"typing replaces the selection", "abc",
       {key(imk::kKeyLeft, kShiftFlag), KeyEvent{imk::kKeySpace, 0, "Z"}}, "abZ|"},
      {"left collapses a selection to its start", "abc",
       {key(0, kCommandFlag), key(imk::kKeyLeft)}, "|abc"},
      {"command-a selects all", "名字", {key(0, kCommandFlag)}, "[名字]"},
      {"command-a by its characters", "ab", {KeyEvent{kNoKeyCode, kCommandFlag, "a"}}, "[ab]"},
      {"other command keys are not typed", "ab", {key(8, kCommandFlag)}, "ab|"},
      {"control keys are not typed", "ab", {key(8, imk::kControlFlag)}, "ab|"},
      {"function keys type nothing", "ab", {key(imk::kKeyF5), key(imk::kKeyPageUp)}, "ab|"},
      {"backspace at the start does nothing", "", {key(imk::kKeyDelete)}, "|"},
      {"right at the end stays", "a", {key(imk::kKeyRight)}, "a|"},
      {"up goes to the start on one line", "abc", {key(imk::kKeyUp)}, "|abc"},
  };
  for (const Case& c : cases) {
    TextEditor editor(c.start);
    for (const KeyEvent& event : c.keys) editor.handle_key(event);
    EXPECT_EQ(shown(editor), c.expected) << c.name;
  }
}

TEST(TextEditorTest, OneLineEndsOnReturnTabAndEscapeWhileSeveralLinesTypeThem) {
  struct Case {
    KeyEvent event;
    EditOutcome one_line;
    EditOutcome lines;
  };
  const Case cases[] = {
      {key(imk::kKeyReturn), EditOutcome::Return, EditOutcome::Done},
      {key(imk::kKeyKeypadEnter), EditOutcome::Return, EditOutcome::Done},
      {key(imk::kKeyTab), EditOutcome::Tab, EditOutcome::Done},
      {key(imk::kKeyTab, kShiftFlag), EditOutcome::Backtab, EditOutcome::Backtab},
      {key(imk::kKeyEscape), EditOutcome::Cancel, EditOutcome::NotTaken},
      {key(0), EditOutcome::Done, EditOutcome::Done},
  };
  for (const Case& c : cases) {
    TextEditor field("x");
    TextEditor view("x", true);
    EXPECT_EQ(field.handle_key(c.event), c.one_line) << c.event.key_code;
    EXPECT_EQ(view.handle_key(c.event), c.lines) << c.event.key_code;
    EXPECT_EQ(field.text().find_first_of("\r\n\t"), std::string::npos);
  }
  TextEditor view("ab", true);
  type(view, "\rc\td");
  EXPECT_EQ(view.text(), "ab\nc\td");
}

TEST(TextEditorTest, LinesMoveByColumnAndHomeEndStayOnTheLine) {
  TextEditor editor("first\nab\nthird", true);
  editor.set_caret(4);  // "firs|t"
  editor.handle_key(key(imk::kKeyDown));
  EXPECT_EQ(shown(editor), "first\nab|\nthird") << "held to the shorter line";
  editor.handle_key(key(imk::kKeyDown));
  EXPECT_EQ(shown(editor), "first\nab\nth|ird");
  editor.handle_key(key(imk::kKeyHome));
  EXPECT_EQ(shown(editor), "first\nab\n|third");
  editor.handle_key(key(imk::kKeyEnd, kShiftFlag));
  EXPECT_EQ(shown(editor), "first\nab\n[third]");
  editor.handle_key(key(imk::kKeyUp));
  EXPECT_EQ(shown(editor), "first\nab|\nthird") << "from the selection's caret, held to the line";
  editor.handle_key(key(imk::kKeyUp));
  EXPECT_EQ(shown(editor), "fi|rst\nab\nthird");
  editor.handle_key(key(imk::kKeyUp));
  EXPECT_EQ(shown(editor), "|first\nab\nthird");
}

TEST(TextEditorTest, LimitsRefuseWholeInsertionsAndCountCharacters) {
  TextEditor editor("中");
  editor.set_limits(TextLimits{3, [](char32_t c) { return c != U'!'; }});
  EXPECT_EQ(editor.handle_key(KeyEvent{kNoKeyCode, 0, "文"}), EditOutcome::Done);
  EXPECT_EQ(editor.handle_key(KeyEvent{kNoKeyCode, 0, "!"}), EditOutcome::Refused);
  EXPECT_FALSE(editor.insert("ab")) << "two more would make four";
  EXPECT_TRUE(editor.insert("a"));
  EXPECT_EQ(editor.handle_key(KeyEvent{kNoKeyCode, 0, "b"}), EditOutcome::Refused);
  EXPECT_EQ(editor.text(), "中文a");
  EXPECT_EQ(editor.length(), 3u);
  // Replacing a selection frees its characters.
  editor.select(1, 2);
  EXPECT_TRUE(editor.insert("xy"));
  EXPECT_EQ(editor.text(), "中xy");
  // Line breaks and bad UTF-8 never go in, limits or not.
  EXPECT_FALSE(editor.insert("\n"));
  EXPECT_FALSE(editor.insert("\xe4\xb8"));
  EXPECT_EQ(editor.text(), "中xy");
  // The program may set any text.
  EXPECT_TRUE(editor.set_text("!!!!!"));
  EXPECT_FALSE(editor.set_text("\xff"));
  EXPECT_EQ(editor.text(), "!!!!!");
}

TEST(TextEditorTest, PositionsAreCharactersAndHeldToTheText) {
  TextEditor editor("汉字ab");
  editor.select(1, 2);
  EXPECT_EQ(editor.selection_start(), 1u);
  EXPECT_EQ(editor.selection_length(), 2u);
  EXPECT_EQ(editor.selection_start_byte(), 3u);
  EXPECT_EQ(editor.selection_end_byte(), 7u);
  editor.select(3, 100);
  EXPECT_EQ(shown(editor), "汉字a[b]");
  editor.set_caret(99);
  EXPECT_EQ(editor.caret(), 4u);
  editor.extend_selection(0);
  EXPECT_EQ(shown(editor), "[汉字ab]");
  EXPECT_EQ(TextEditor("\xff\xfe").text(), "") << "bad UTF-8 starts empty";
}

TEST(KeyEventTest, CodesAndCharactersFollowTheUsKeyboard) {
  EXPECT_EQ(key_event_for_code(0, 0), (KeyEvent{0, 0, "a"}));
  EXPECT_EQ(key_event_for_code(0, kShiftFlag), (KeyEvent{0, kShiftFlag, "A"}));
  EXPECT_EQ(key_event_for_code(18, kShiftFlag), (KeyEvent{18, kShiftFlag, "!"}));
  EXPECT_EQ(key_event_for_code(imk::kKeyReturn, 0).characters, "\r");
  EXPECT_EQ(key_event_for_code(imk::kKeyLeft, 0).characters, "\xef\x9c\x82");
  EXPECT_EQ(key_event_for_code(10, 0).characters, "") << "no US key has code 10";
  EXPECT_EQ(key_event_for_code(0, 0, std::string("é")).characters, "é");

  const std::vector<KeyEvent> typed = key_events_for_characters("aB\r\x19中");
  ASSERT_EQ(typed.size(), 5u);
  EXPECT_EQ(typed[0], (KeyEvent{0, 0, "a"}));
  EXPECT_EQ(typed[1], (KeyEvent{11, kShiftFlag, "B"}));
  EXPECT_EQ(typed[2].key_code, imk::kKeyReturn);
  EXPECT_EQ(typed[3], (KeyEvent{imk::kKeyTab, kShiftFlag, "\x19"}));
  EXPECT_EQ(typed[4], (KeyEvent{kNoKeyCode, 0, "中"}));
  EXPECT_TRUE(key_events_for_characters("a\xff").empty());
}

}  // namespace
}  // namespace platform::ui
