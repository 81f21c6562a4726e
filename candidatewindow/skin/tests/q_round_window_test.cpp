#include "candidatewindow/skin/q_round_window.h"

#include <gtest/gtest.h>

#include "platform/tests/test_support.h"
#include "platform/ui/tests/window_test_support.h"
#include "platform/ui/window_registry.h"

namespace kepskin {
namespace {

using platform::testing_support::ScopedEnv;
using platform::ui::MouseEvent;
using platform::ui::MouseEventType;
using platform::ui::Point;
using platform::ui::Rect;

// A main screen 1000x800 and a taller second one to its right: only the main screen's top counts.
constexpr const char* kScreens = "0,0,1000,800;1000,0,500,2000";

// The window point under screen point `screen` for the window as it is now.
Point at_screen(const QRoundWindow& window, Point screen) {
  return Point{screen.x - window.frame().x, screen.y - window.frame().y};
}

void press(QRoundWindow& window, Point in_window) {
  window.handle_mouse(MouseEvent{MouseEventType::Down, in_window});
}

void drag_to_screen(QRoundWindow& window, Point screen) {
  window.handle_mouse(MouseEvent{MouseEventType::Dragged, at_screen(window, screen)});
}

TEST(QRoundWindowTest, IsABorderlessClearFloatingWindowThatCanBeKey) {
  QRoundWindow window("TestProgram", "candidate", Rect{10, 20, 300, 40});
  EXPECT_EQ(window.frame(), (Rect{10, 20, 300, 40}));
  EXPECT_EQ(window.style_mask(), platform::ui::kBorderlessWindowMask);
  EXPECT_EQ(window.background_colour().alpha, 0.0);
  EXPECT_EQ(window.level(), platform::ui::kMaximumWindowLevel - 1);
  EXPECT_GT(window.level(), platform::ui::kScreenSaverWindowLevel);
  EXPECT_EQ(window.alpha(), 1.0);
  EXPECT_FALSE(window.is_opaque());
  EXPECT_FALSE(window.has_shadow());
  EXPECT_TRUE(window.can_become_key());
  window.make_key_and_order_front();
  EXPECT_TRUE(window.is_key());
}

TEST(QRoundWindowTest, TheGrabbedPointFollowsTheMouse) {
  ScopedEnv screens("KEP_SCREENS", kScreens);
  QRoundWindow window("TestProgram", "candidate", Rect{100, 100, 200, 50});
  press(window, Point{10, 20});
  EXPECT_EQ(window.initialLocation(), (Point{10, 20}));

  struct Case {
    Point mouse;   // screen points
    Point origin;  // where the window goes
  };
  const Case cases[] = {
      {{400, 300}, {390, 280}},        // anywhere on the screen
      {{-500, -300}, {-510, -320}},    // off the left and the bottom: not limited
      {{5000, 100}, {4990, 80}},       // off the right: x is never limited
      {{300, 900}, {290, 750}},        // too high: the top stays at the main screen's top
      {{1200, 1500}, {1190, 750}},     // over the taller screen: still the main screen's top
      {{300, 770}, {290, 750}},        // exactly reaching the top is allowed
      {{300, 769}, {290, 749}},
  };
  for (const Case& c : cases) {
    drag_to_screen(window, c.mouse);
    EXPECT_EQ(window.frame(), (Rect{c.origin.x, c.origin.y, 200, 50}))
        << c.mouse.x << "," << c.mouse.y;
  }
}

TEST(QRoundWindowTest, ADragWithoutAPressLeavesTheWindowWhereItIs) {
  ScopedEnv screens("KEP_SCREENS", kScreens);
  QRoundWindow window("TestProgram", "status", Rect{100, 100, 80, 20});
  drag_to_screen(window, Point{500, 500});
  EXPECT_EQ(window.frame(), (Rect{100, 100, 80, 20})) << "nothing was grabbed";

  press(window, Point{5, 5});
  drag_to_screen(window, Point{300, 300});
  EXPECT_EQ(window.frame(), (Rect{295, 295, 80, 20}));
  window.handle_mouse(MouseEvent{MouseEventType::Up, Point{5, 5}});
  drag_to_screen(window, Point{600, 600});
  EXPECT_EQ(window.frame(), (Rect{295, 295, 80, 20})) << "released: nothing grabbed any more";
}

TEST(QRoundWindowTest, InjectedDragsMoveTheWindowAndItsStateShowsIt) {
  ScopedEnv screens("KEP_SCREENS", kScreens);
  platform::ui::test_support::RenderDir render;
  platform::ui::WindowRegistry registry;
  QRoundWindow window("TestProgram", "candidate", Rect{100, 100, 200, 50});
  ASSERT_TRUE(registry.add(window));
  window.order_front();

  // Window points: the press at (10, 10); the drag 800 up and 50 right of it.
  EXPECT_EQ(registry.perform("down candidate 10 10"), "ok");
  EXPECT_EQ(registry.perform("drag candidate 60 810"), "ok");
  EXPECT_EQ(registry.perform("up candidate 60 810"), "ok");
  EXPECT_EQ(window.frame(), (Rect{150, 750, 200, 50})) << "stopped at the main screen's top";

  std::error_code error;
  auto state = platform::plist::read_file(render.file("candidate.state"), error);
  ASSERT_TRUE(state && state->as_dictionary()) << error.message();
  const auto* frame = state->as_dictionary()->find("frame")->as_dictionary();
  EXPECT_EQ(frame->find("x")->real_value(), 150.0);
  EXPECT_EQ(frame->find("y")->real_value(), 750.0);
  EXPECT_TRUE(std::filesystem::exists(render.file("candidate.png")));
}

}  // namespace
}  // namespace kepskin
