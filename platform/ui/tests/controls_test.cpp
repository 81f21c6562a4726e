#include "platform/ui/controls.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/tests/view_test_support.h"
#include "platform/ui/tests/window_test_support.h"
#include "platform/ui/window_registry.h"

namespace platform::ui {
namespace {

using test_support::RenderDir;

// A window "controls" 200x100 with one control at (10,10) 80x30 in its content.
template <typename Control>
struct OneControl {
  Window window{"TestProgram", "controls", Rect{0, 0, 200, 100}};
  Control* control = nullptr;
  int actions = 0;
  std::vector<bool> on_when_acting;

  OneControl() {
    window.set_content_view(std::make_unique<View>());
    control = &window.content_view()->add_subview(
        std::make_unique<Control>(Rect{10, 10, 80, 30}, "Apply"));
    control->set_action([this](Button& sender) {
      ++actions;
      if (auto* box = dynamic_cast<CheckBox*>(&sender)) on_when_acting.push_back(box->is_on());
    });
  }
  void mouse(MouseEventType type, double x, double y, int clicks = 1) {
    window.handle_mouse(MouseEvent{type, Point{x, y}, clicks});
  }
};

TEST(ControlsTest, AButtonClicksOnlyWhenTheClickEndsInside) {
  struct Step {
    MouseEventType type;
    Point at;
    bool highlighted_after;
  };
  struct Case {
    const char* what;
    std::vector<Step> steps;
    int actions;
  };
  const auto D = MouseEventType::Down;
  const auto M = MouseEventType::Dragged;
  const auto U = MouseEventType::Up;
  const Case cases[] = {
      {"click", {{D, {20, 20}, true}, {U, {20, 20}, false}}, 1},
      {"drag out and release outside",
       {{D, {20, 20}, true}, {M, {150, 80}, false}, {U, {150, 80}, false}}, 0},
      {"drag out and back in",
       {{D, {20, 20}, true}, {M, {150, 80}, false}, {M, {85, 35}, true}, {U, {85, 35}, false}},
       1},
      {"down outside the button", {{D, {150, 80}, false}, {U, {20, 20}, false}}, 0},
  };
  for (const Case& c : cases) {
    OneControl<Button> one;
    for (const Step& step : c.steps) {
      one.mouse(step.type, step.at.x, step.at.y);
      EXPECT_EQ(one.control->is_highlighted(), step.highlighted_after) << c.what;
    }
    EXPECT_EQ(one.actions, c.actions) << c.what;
  }
}

TEST(ControlsTest, ADoubleClickClicksTwiceAndADisabledButtonNever) {
  RenderDir render;
  WindowRegistry registry;
  OneControl<Button> one;
  ASSERT_TRUE(registry.add(one.window));
  EXPECT_EQ(registry.perform("double controls 20 20"), "ok");
  EXPECT_EQ(one.actions, 2);

  one.control->set_enabled(false);
  EXPECT_EQ(registry.perform("double controls 20 20"), "ok");
  one.control->perform_click();
  EXPECT_EQ(one.actions, 2);
  EXPECT_FALSE(one.control->is_highlighted());

  one.control->set_enabled(true);
  one.control->perform_click();
  EXPECT_EQ(one.actions, 3);
}

TEST(ControlsTest, ACheckBoxTurnsBeforeItsActionRuns) {
  OneControl<CheckBox> one;
  one.mouse(MouseEventType::Down, 20, 20);
  one.mouse(MouseEventType::Up, 20, 20);
  one.control->perform_click();
  one.control->set_on(true);  // by program: no action
  EXPECT_EQ(one.on_when_acting, (std::vector<bool>{true, false}));
  EXPECT_TRUE(one.control->is_on());

  const plist::Dictionary shown = test_support::described(*one.control);
  EXPECT_EQ(test_support::string_at(shown, "kind"), "checkbox");
  EXPECT_EQ(test_support::string_at(shown, "title"), "Apply");
  EXPECT_EQ(test_support::bool_at(shown, "on"), true);
  EXPECT_EQ(test_support::bool_at(shown, "enabled"), true);
}

TEST(ControlsTest, AHighlightedButtonIsDrawnDarker) {
  OneControl<Button> one;
  // Window point (14, 14): inside the bezel, away from the title; pixel row 100 - 1 - 14.
  auto brightness = [&] {
    auto picture = one.window.render();
    EXPECT_TRUE(picture);
    const gfx::Pixel pixel = picture ? picture->pixel(14, 85) : gfx::Pixel{};
    return pixel.red + pixel.green + pixel.blue;
  };
  const int normal = brightness();
  one.mouse(MouseEventType::Down, 20, 20);
  const int pressed = brightness();
  EXPECT_LT(pressed, normal);
  EXPECT_LT(normal, 3 * 255) << "the bezel is not the white background";
}

TEST(ControlsTest, TextControlsDescribeTheirText) {
  TextField label(Rect{0, 0, 100, 20}, "名称");
  TextView text(Rect{0, 0, 100, 60});
  text.set_text("line one\nline two");
  text.set_editable(false);
  EXPECT_EQ(test_support::string_at(test_support::described(label), "text"), "名称");
  const plist::Dictionary shown = test_support::described(text);
  EXPECT_EQ(test_support::string_at(shown, "kind"), "textview");
  EXPECT_EQ(test_support::string_at(shown, "text"), "line one\nline two");
  EXPECT_EQ(test_support::bool_at(shown, "editable"), false);
  EXPECT_EQ(system_font().family, "Lucida Grande");
  EXPECT_EQ(system_font(kSmallSystemFontSize).size_px, 11);
}

}  // namespace
}  // namespace platform::ui
