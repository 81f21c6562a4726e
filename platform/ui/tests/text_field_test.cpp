// Typing into fields and text views through their window: the first responder, the key view
// loop, the control port's key verbs, and what the state and the picture show.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/controls.h"
#include "platform/ui/tests/view_test_support.h"
#include "platform/ui/tests/window_test_support.h"
#include "platform/ui/window_registry.h"

namespace platform::ui {
namespace {

using test_support::bool_at;
using test_support::described;
using test_support::integer_at;
using test_support::RenderDir;
using test_support::string_at;

// The height of a text view's lines.
double look_line_height(const gfx::Font& font) { return gfx::measure("Ag", font).height; }

// Logs the modifier changes it is told of; takes keys only while first responder.
class FlagsView : public View {
 public:
  explicit FlagsView(Rect frame) : View(frame) {}
  std::vector<std::uint64_t> flags;
  bool accepts_first_responder() const override { return true; }
  bool flags_changed(std::uint64_t modifier_flags) override {
    flags.push_back(modifier_flags);
    return true;
  }
};

// A form: fields "name", a label, a hidden field, a disabled field, "code", and the text view
// "content"; every end of an editing is logged as "<field>: <text> <how>".
struct Form {
  RenderDir render;
  WindowRegistry registry;
  Window window{"TestProgram", "form", Rect{0, 0, 300, 220}};
  TextField* name = nullptr;
  TextField* code = nullptr;
  TextField* disabled = nullptr;
  TextView* content = nullptr;
  std::vector<std::string> ended;

  Form() {
    registry.add(window);
    auto root = std::make_unique<View>();
    name = &add_field(*root, "name", 180, "old");
    root->add_subview(std::make_unique<TextField>(Rect{10, 150, 200, 24}, "a label"));
    add_field(*root, "hidden", 150, "").set_hidden(true);
    disabled = &add_field(*root, "disabled", 120, "");
    disabled->set_enabled(false);
    code = &add_field(*root, "code", 90, "");
    content = &root->add_subview(std::make_unique<TextView>(Rect{10, 10, 200, 60}));
    content->set_identifier("content");
    content->set_end_editing_handler([this](TextView&, const std::string& text, TextMovement how) {
      ended.push_back("content: " + text + " " + movement_name(how));
    });
    window.set_content_view(std::move(root));
    window.make_key_and_order_front();
  }

  TextField& add_field(View& root, const std::string& id, double y, std::string text) {
    auto& field =
        root.add_subview(std::make_unique<TextField>(Rect{10, y, 200, 24}, std::move(text)));
    field.set_identifier(id);
    field.set_editable(true);
    field.set_end_editing_handler([this, id](TextField&, const std::string& text,
                                             TextMovement how) {
      ended.push_back(id + ": " + text + " " + movement_name(how));
    });
    return field;
  }

  static std::string movement_name(TextMovement how) {
    switch (how) {
      case TextMovement::Return: return "Return";
      case TextMovement::Tab: return "Tab";
      case TextMovement::Backtab: return "Backtab";
      case TextMovement::Cancel: return "Cancel";
      case TextMovement::Other: return "Other";
    }
    return "?";
  }

  std::string first_responder() const {
    const View* view = window.first_responder();
    return view ? view->identifier() : "none";
  }
  plist::Dictionary state_file() const {
    return test_support::read_state_file(render.file("form.state"));
  }
};

TEST(TextFieldTest, AClickStartsAnEditingThatTypingChanges) {
  Form form;
  EXPECT_EQ(form.registry.perform("click form name"), "ok");
  EXPECT_EQ(form.first_responder(), "name");
  ASSERT_TRUE(form.name->is_editing());
  // The click put the caret where it fell: in the middle of the field, past the text's end.
  EXPECT_EQ(form.name->editor()->caret(), 3u);
  EXPECT_EQ(form.name->editor()->selection_length(), 0u);

  EXPECT_EQ(form.registry.perform("key form 名字"), "ok");
  EXPECT_EQ(form.name->text(), "old名字") << "text() is the text typed so far";
  EXPECT_EQ(form.registry.perform("keycode form 123 shift"), "ok");  // Shift-Left
  EXPECT_EQ(form.registry.perform("keycode form 51 0"), "ok");       // Backspace
  EXPECT_EQ(form.name->text(), "old名");

  // The state file, written after the commands, shows the editing.
  const plist::Dictionary state = form.state_file();
  EXPECT_EQ(string_at(state, "firstResponder"), "name");
  const plist::Dictionary shown = described(*form.name);
  EXPECT_EQ(string_at(shown, "text"), "old名");
  EXPECT_EQ(bool_at(shown, "editing"), true);
  EXPECT_EQ(bool_at(shown, "editable"), true);
  EXPECT_EQ(integer_at(shown, "caret"), 4);
  const plist::Dictionary* selection = test_support::dictionary_at(shown, "selection");
  ASSERT_NE(selection, nullptr);
  EXPECT_EQ(integer_at(*selection, "location"), 4);
  EXPECT_EQ(integer_at(*selection, "length"), 0);
  EXPECT_TRUE(form.ended.empty());
}

TEST(TextFieldTest, ReturnTabAndEscapeEndTheEditingAndTellTheHandler) {
  Form form;
  ASSERT_TRUE(form.name->begin_editing());
  EXPECT_EQ(form.name->editor()->selection_length(), 3u) << "begun by program: all selected";
  struct Step {
    std::string command;
    std::string first_responder;
    std::string name_text;
    std::vector<std::string> ended;
  };
  const Step steps[] = {
      {"key form new", "name", "new", {}},
      {"keycode form 36 0", "name", "new", {"name: new Return"}},
      // After Return the field stays first responder; typing starts again over the text.
      {"key form x", "name", "x", {}},
      {"keycode form 53 0", "name", "new", {"name: new Cancel"}},
      // With the editing over, Tab is the window's: it skips the label, the hidden and the
      // disabled field.
      {"keycode form 48 0", "code", "new", {}},
      {"key form 7", "code", "new", {}},
      {"keycode form 48 0", "content", "new", {"code: 7 Tab"}},
      {"keycode form 48 shift", "code", "new", {"content:  Backtab"}},
      {"keycode form 48 shift", "name", "new", {"code: 7 Backtab"}},
      {"keycode form 48 0x20000", "content", "new", {"name: new Backtab"}},
      {"keycode form 48 0", "content", "new", {}},  // a text view types a tab
      {"key form \x19", "code", "new", {"content: \t Backtab"}},
  };
  for (const Step& step : steps) {
    form.ended.clear();
    EXPECT_EQ(form.registry.perform(step.command), "ok") << step.command;
    EXPECT_EQ(form.first_responder(), step.first_responder) << step.command;
    EXPECT_EQ(form.name->text(), step.name_text) << step.command;
    EXPECT_EQ(form.ended, step.ended) << step.command;
  }
  EXPECT_EQ(form.code->text(), "7");

  // After Return a key the field does not type leaves it resting.
  EXPECT_EQ(form.registry.perform("keycode form 36 0"), "ok");
  EXPECT_EQ(form.registry.perform("keycode form 12 command"),
            "error: \"form\" did not take the key");
  EXPECT_FALSE(form.code->is_editing());
  EXPECT_EQ(form.first_responder(), "code");
}

TEST(TextFieldTest, AClickPutsTheCaretAtTheNearestBoundary) {
  Form form;
  form.name->set_text("ab中文cd");
  form.content->set_text("first\n汉字 second");
  const gfx::Font font = system_font();
  const auto width = [&](std::string_view prefix) { return gfx::measure(prefix, font).width; };
  struct Case {
    double x;  // from the start of the text
    std::size_t caret;
  };
  const double after_zhong = width("ab中");
  const Case cases[] = {
      {-1, 0},  // in the field's margin
      {1, 0},
      {after_zhong - 2, 3},
      {after_zhong + 2, 3},
      {width("ab中文c") + 1, 5},
      {180, 6},
  };
  ASSERT_TRUE(form.name->begin_editing());
  const Rect field = form.name->frame();
  for (const Case& c : cases) {
    const double x = field.x + 2 + c.x;
    form.window.handle_mouse(MouseEvent{MouseEventType::Down, Point{x, field.y + 12}});
    form.window.handle_mouse(MouseEvent{MouseEventType::Up, Point{x, field.y + 12}});
    EXPECT_EQ(form.name->editor()->caret(), c.caret) << c.x;
  }
  // A drag from there selects back to where it went.
  form.window.handle_mouse(MouseEvent{MouseEventType::Down, Point{field.x + 2 + after_zhong, 192}});
  form.window.handle_mouse(MouseEvent{MouseEventType::Dragged, Point{field.x, 192}});
  EXPECT_EQ(form.name->editor()->selection_start(), 0u);
  EXPECT_EQ(form.name->editor()->selection_length(), 3u);

  // In a text view the line is found first: the second line, after "汉字".
  const Rect view = form.content->frame();
  const double second_line = view.y + view.height - 2 - 1.5 * look_line_height(font);
  form.window.handle_mouse(
      MouseEvent{MouseEventType::Down, Point{view.x + 2 + width("汉字") + 1, second_line}});
  EXPECT_EQ(form.window.first_responder(), form.content);
  EXPECT_EQ(form.content->editor().caret(), 8u) << "6 characters and a line break before";
}

TEST(TextFieldTest, TheKeyViewLoopWrapsAndAClickElsewhereEndsTheEditing) {
  Form form;
  // Nothing has the keyboard: Tab brings it to the first key view, Shift-Tab to the last.
  EXPECT_EQ(form.registry.perform("key form \t"), "ok");
  EXPECT_EQ(form.first_responder(), "name");
  ASSERT_TRUE(form.window.make_first_responder(nullptr));
  EXPECT_EQ(form.ended, std::vector<std::string>{"name: old Other"});
  EXPECT_EQ(form.registry.perform("key form \x19"), "ok");
  EXPECT_EQ(form.first_responder(), "content");
  EXPECT_TRUE(form.window.select_next_key_view());
  EXPECT_EQ(form.first_responder(), "name") << "wraps";
  EXPECT_TRUE(form.window.select_previous_key_view());
  EXPECT_EQ(form.first_responder(), "content");

  form.ended.clear();
  EXPECT_EQ(form.registry.perform("click form code"), "ok");
  EXPECT_EQ(form.ended, std::vector<std::string>{"content:  Other"});
  EXPECT_TRUE(form.code->is_editing());
  // Views that are not key views are refused.
  EXPECT_FALSE(form.window.make_first_responder(form.disabled));
  View outside;
  EXPECT_FALSE(form.window.make_first_responder(&outside));
  EXPECT_EQ(form.first_responder(), "code");
}

TEST(TextFieldTest, ATextViewTypesLinesAndReturn) {
  Form form;
  EXPECT_EQ(form.registry.perform("click form content"), "ok");
  EXPECT_EQ(form.registry.perform("key form ab\rcd"), "ok");
  EXPECT_EQ(form.content->text(), "ab\ncd");
  EXPECT_EQ(form.registry.perform("keycode form 126 0"), "ok");  // Up
  EXPECT_EQ(form.registry.perform("key form X"), "ok");
  EXPECT_EQ(form.content->text(), "abX\ncd");
  const plist::Dictionary shown = described(*form.content);
  EXPECT_EQ(bool_at(shown, "editing"), true);
  EXPECT_EQ(integer_at(shown, "caret"), 3);
  // Escape is not the text view's: with nobody else to take it, the reply says so.
  EXPECT_EQ(form.registry.perform("keycode form 53 0"), "error: \"form\" did not take the key");
  EXPECT_EQ(form.content->text(), "abX\ncd");
  form.content->set_editable(false);
  EXPECT_EQ(form.first_responder(), "none");
  EXPECT_EQ(form.ended, std::vector<std::string>{"content: abX\ncd Other"});
  EXPECT_FALSE(described(*form.content).contains("editing"));
}

TEST(TextFieldTest, LimitsRefuseTypingAndMakingAFieldReadOnlyEndsItsEditing) {
  Form form;
  form.code->set_limits(TextLimits{2, [](char32_t c) { return c >= U'0' && c <= U'9'; }});
  ASSERT_TRUE(form.code->begin_editing());
  EXPECT_EQ(form.registry.perform("key form 1a2b3"), "ok") << "refused keys are still taken";
  EXPECT_EQ(form.code->text(), "12");
  form.code->set_enabled(false);
  EXPECT_EQ(form.ended, std::vector<std::string>{"code: 12 Other"});
  EXPECT_EQ(form.first_responder(), "none");
  EXPECT_FALSE(form.code->begin_editing());
  EXPECT_EQ(bool_at(described(*form.code), "enabled"), false);
  // A label stays as it was described before fields could edit.
  const TextField label(Rect{0, 0, 50, 20}, "label");
  EXPECT_FALSE(described(label).contains("editable"));
  EXPECT_FALSE(label.accepts_first_responder());
}

TEST(TextFieldTest, AHandlerMayRemoveTheFieldItIsToldAbout) {
  Form form;
  form.name->set_end_editing_handler([&](TextField& field, const std::string& text, TextMovement) {
    form.ended.push_back("removed with " + text);
    field.superview()->remove_subview(field);
  });
  ASSERT_TRUE(form.name->begin_editing());
  EXPECT_EQ(form.registry.perform("key form gone\r"), "ok");
  EXPECT_EQ(form.ended, std::vector<std::string>{"removed with gone"});
  EXPECT_EQ(form.window.first_responder(), nullptr);
  EXPECT_EQ(form.window.find_view("name"), nullptr);
  EXPECT_FALSE(form.state_file().contains("firstResponder"));
  // Removing the first responder itself takes the keyboard with it.
  ASSERT_TRUE(form.code->begin_editing());
  form.code->superview()->remove_subview(*form.code);
  EXPECT_EQ(form.window.first_responder(), nullptr);
  EXPECT_EQ(form.registry.perform("key form x"), "error: \"form\" did not take the keys");
}

TEST(TextFieldTest, ModifierChangesReachTheFirstResponder) {
  RenderDir render;
  WindowRegistry registry;
  Window window("TestProgram", "keys", Rect{0, 0, 100, 100});
  registry.add(window);
  auto root = std::make_unique<View>();
  auto& recorder = root->add_subview(std::make_unique<FlagsView>(Rect{0, 0, 50, 50}));
  window.set_content_view(std::move(root));
  EXPECT_EQ(registry.perform("flags keys shift"),
            "error: \"keys\" did not take the modifier flags");
  EXPECT_EQ(registry.perform("down keys 10 10"), "ok");
  EXPECT_EQ(window.first_responder(), &recorder) << "a click made it first responder";
  EXPECT_EQ(registry.perform("flags keys 0x120000"), "ok");
  EXPECT_EQ(registry.perform("flags keys 0"), "ok");
  EXPECT_EQ(recorder.flags, (std::vector<std::uint64_t>{0x120000, 0}));
}

// The selection's light blue, as the picture shows it.
bool shows_selection(const gfx::Surface& picture, const Rect& in_window) {
  for (int x = static_cast<int>(in_window.x); x < in_window.x + in_window.width; ++x) {
    for (int y = static_cast<int>(in_window.y); y < in_window.y + in_window.height; ++y) {
      const gfx::Pixel p = picture.pixel(x, picture.height() - 1 - y);
      if (p.red > 160 && p.red < 200 && p.green > 200 && p.green < 230 && p.blue > 245) return true;
    }
  }
  return false;
}

// Dark pixels in a column of the picture between two window heights.
int dark_pixels(const gfx::Surface& picture, int x, int from_y, int to_y) {
  int dark = 0;
  for (int y = from_y; y < to_y; ++y) {
    const gfx::Pixel p = picture.pixel(x, picture.height() - 1 - y);
    if (p.red + p.green + p.blue < 200) ++dark;
  }
  return dark;
}

TEST(TextFieldTest, ThePictureShowsTheSelectionAndTheCaret) {
  Form form;
  form.name->set_text("");
  const Rect field = form.name->frame();
  auto before = form.window.render();
  ASSERT_TRUE(before);
  ASSERT_TRUE(form.name->begin_editing());
  // An empty field: its caret stands just inside the left edge.
  auto caret = form.window.render();
  ASSERT_TRUE(caret);
  const int caret_x = static_cast<int>(field.x) + 2;
  EXPECT_GT(dark_pixels(*caret, caret_x, field.y + 4, field.y + 20), 8);
  EXPECT_EQ(dark_pixels(*before, caret_x, field.y + 4, field.y + 20), 0);

  form.name->set_text("selected");
  form.name->select_text(0, 8);
  auto selected = form.window.render();
  ASSERT_TRUE(selected);
  EXPECT_TRUE(shows_selection(*selected, field));
  EXPECT_EQ(form.registry.perform("keycode form 36 0"), "ok");
  auto ended = form.window.render();
  ASSERT_TRUE(ended);
  EXPECT_FALSE(shows_selection(*ended, field));
}

}  // namespace
}  // namespace platform::ui
