#include "candidatewindow/skin/screen_placement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using kepskin::viewBoundsForSize;
using platform::ui::Point;
using platform::ui::Rect;
using platform::ui::Screen;

const Screen kLaptop{{0, 0, 1440, 900}, {0, 0, 1440, 878}};
constexpr double kWidth = 200;
constexpr double kHeight = 50;
constexpr double kLine = 16;

TEST(ScreenPlacementTest, OneScreenKeepsTheBoxBesideTheCaret) {
  const Screen dock_on_left{{0, 0, 1440, 900}, {70, 0, 1370, 878}};
  const struct {
    const char* name;
    Screen screen;
    Point caret;
    double x, top;  // expected box x and top line (origin y + H + 17 in the skin style)
  } cases[] = {
      {"below the caret", kLaptop, {100, 500}, 100, 500},
      {"near the bottom: above the caret line", kLaptop, {100, 30}, 100, 30 + kLine + kHeight + 2},
      {"just fits below", kLaptop, {100, kHeight + 2}, 100, kHeight + 2},
      {"under the screen: lowest place", kLaptop, {100, -500}, 100, kHeight + 2},
      {"above the screen", kLaptop, {100, 1000}, 100, kHeight + 5},
      {"right edge on the usable area", kLaptop, {1430, 500}, 1440 - kWidth, 500},
      {"exactly touching the right edge", kLaptop, {1240, 500}, 1240, 500},
      {"left of the usable area", dock_on_left, {20, 500}, 70, 500},
  };
  for (const auto& item : cases) {
    const auto skin = viewBoundsForSize(kWidth, kHeight, item.caret, kLine, true, {item.screen});
    EXPECT_EQ(skin.box, (Rect{item.x, item.top - (kHeight + 17), kWidth, kHeight})) << item.name;
    EXPECT_EQ(skin.screenRect, item.screen.frame) << item.name;
    EXPECT_EQ(skin.visualRect, item.screen.visible_frame) << item.name;
    const auto plain = viewBoundsForSize(kWidth, kHeight, item.caret, kLine, false, {item.screen});
    EXPECT_EQ(plain.box.y, item.top - (kHeight + 9)) << item.name;
  }
}

TEST(ScreenPlacementTest, ArithmeticIsSinglePrecision) {
  const auto placed = viewBoundsForSize(kWidth, kHeight, {100.1, 500.3}, kLine, true, {kLaptop});
  EXPECT_EQ(placed.box.x, static_cast<double>(100.1f));
  EXPECT_NE(placed.box.x, 100.1);
  EXPECT_EQ(placed.box.y, static_cast<double>(500.3f) - (kHeight + 17));
}

TEST(ScreenPlacementTest, ScreenChoiceAmongSeveral) {
  // Main screen, one to its right standing 100 higher, one above the main screen.
  const std::vector<Screen> screens{
      kLaptop,
      {{1440, 100, 1920, 1080}, {1440, 100, 1920, 1050}},
      {{0, 900, 1440, 900}, {0, 900, 1440, 880}},
  };
  const struct {
    const char* name;
    Point caret;
    std::size_t screen;
    bool whole_frame;  // chosen by range: the frame stands for the visible area too
  } cases[] = {
      {"contained in the second", {2000, 500}, 1, false},
      {"contained in the third", {100, 1000}, 2, false},
      {"far edge belongs to the next screen", {1440, 500}, 1, false},
      {"below all: horizontal range, nearest left edge", {1440, -100}, 1, true},
      {"below the main screen only", {700, -100}, 0, true},
      {"left of all: vertical range, nearest bottom", {-300, 500}, 1, true},
      {"left of all, only the main range", {-300, 50}, 0, true},
      {"on no range at all: the first screen", {-300, -5000}, 0, false},
  };
  for (const auto& item : cases) {
    const auto placed = viewBoundsForSize(kWidth, kHeight, item.caret, kLine, true, screens);
    const Screen& expected = screens[item.screen];
    EXPECT_EQ(placed.screenRect, expected.frame) << item.name;
    EXPECT_EQ(placed.visualRect, item.whole_frame ? expected.frame : expected.visible_frame) << item.name;
  }
}

TEST(ScreenPlacementTest, RangeTiesGoToTheFirstScreen) {
  // Two screens side by side at the same height; a caret left of both shares their vertical range.
  const std::vector<Screen> screens{{{0, 0, 800, 600}, {0, 0, 800, 580}}, {{800, 0, 800, 600}, {800, 0, 800, 580}}};
  const auto placed = viewBoundsForSize(kWidth, kHeight, {-50, 300}, kLine, true, screens);
  EXPECT_EQ(placed.screenRect, screens[0].frame);
  EXPECT_EQ(placed.box.x, 0);  // kept inside the chosen screen
}

TEST(ScreenPlacementTest, ScreensPastTheLimitAreNotChosen) {
  std::vector<Screen> screens;
  for (std::size_t i = 0; i < kepskin::kMaxPlacementScreens + 8; ++i) {
    const double x = 1000.0 * static_cast<double>(i);
    screens.push_back({{x, 0, 1000, 800}, {x, 0, 1000, 780}});
  }
  const double last_x = 1000.0 * static_cast<double>(kepskin::kMaxPlacementScreens - 1);
  const auto inside_last = viewBoundsForSize(kWidth, kHeight, {last_x + 10, 400}, kLine, true, screens);
  EXPECT_EQ(inside_last.screenRect, screens[kepskin::kMaxPlacementScreens - 1].frame);

  const double beyond_x = 1000.0 * static_cast<double>(kepskin::kMaxPlacementScreens + 3);
  const auto beyond = viewBoundsForSize(kWidth, kHeight, {beyond_x + 10, 400}, kLine, true, screens);
  // Not on any considered screen nor in any considered column: falls to the vertical range,
  // where every considered screen ties, so the first wins.
  EXPECT_EQ(beyond.screenRect, screens[0].frame);
}

TEST(ScreenPlacementTest, NoScreensOrUnusableCaretStillGiveAPlace) {
  const auto none = viewBoundsForSize(kWidth, kHeight, {100, 500}, kLine, true, {});
  EXPECT_EQ(none.screenRect, platform::ui::default_screen().frame);
  EXPECT_EQ(none.box.x, 100);
  const auto nan = viewBoundsForSize(kWidth, kHeight, {std::nan(""), std::nan("")}, kLine, false, {kLaptop});
  EXPECT_EQ(nan.box.x, 0);
  EXPECT_EQ(nan.box.y, kLine + kHeight + 2 - (kHeight + 9));  // caret at the bottom: above its line
}

}  // namespace
