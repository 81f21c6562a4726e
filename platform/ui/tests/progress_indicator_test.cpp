#include "platform/ui/progress_indicator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>

#include "platform/ui/tests/view_test_support.h"
#include "platform/ui/tests/window_test_support.h"

namespace platform::ui {
namespace {

using namespace std::chrono_literals;
using test_support::RenderDir;

// A window 220 x 40 holding a bar at (10, 10), 200 x 20.
struct Bar {
  RenderDir render;
  RunLoop loop;
  Window window{"TestProgram", "import", Rect{0, 0, 220, 40}};
  ProgressIndicator* bar = nullptr;

  Bar() {
    window.set_content_view(std::make_unique<View>());
    bar = &window.content_view()->add_subview(
        std::make_unique<ProgressIndicator>(Rect{10, 10, 200, 20}, loop));
    bar->set_identifier("bar");
  }
  // The pixels across the middle row of the bar's inside that are the fill's blue.
  int filled_pixels() const {
    auto picture = window.render();
    EXPECT_TRUE(picture);
    if (!picture) return -1;
    int count = 0;
    for (int x = 11; x < 209; ++x) {
      const gfx::Pixel p = picture->pixel(x, 40 - 1 - 20);
      if (p.blue > 150 && p.red < 100) ++count;
    }
    return count;
  }
  // Pixels inside the bar's frame that are not the white background.
  int inked_pixels() const {
    auto picture = window.render();
    if (!picture) return -1;
    int count = 0;
    for (int y = 10; y < 30; ++y) {
      for (int x = 10; x < 210; ++x) {
        if (picture->pixel(x, 40 - 1 - y) != gfx::Pixel{255, 255, 255, 255}) ++count;
      }
    }
    return count;
  }
};

TEST(ProgressIndicatorTest, ADeterminateBarIsFilledToItsFraction) {
  struct Case {
    double min, max, value;
    int filled;  // of the 198 inside pixels
  };
  const Case cases[] = {
      {0, 100, 50, 99}, {0, 100, 0, 0},       {0, 100, 100, 198}, {0, 200, 50, 49},
      {100, 300, 150, 49}, {0, 100, 250, 198},  // held at the maximum
      {5, 5, 5, 0},                              // an empty range fills nothing
  };
  for (const Case& c : cases) {
    Bar bar;
    bar.bar->set_min_value(c.min);
    bar.bar->set_max_value(c.max);
    bar.bar->set_double_value(c.value);
    EXPECT_EQ(bar.filled_pixels(), c.filled) << c.min << ".." << c.max << " at " << c.value;
  }
}

TEST(ProgressIndicatorTest, ValuesAreHeldInTheRangeAndNotANumberIsIgnored) {
  Bar bar;
  ProgressIndicator& p = *bar.bar;
  p.set_max_value(40);
  p.set_double_value(10);
  p.increment_by(25);
  EXPECT_EQ(p.double_value(), 35);
  p.increment_by(25);
  EXPECT_EQ(p.double_value(), 40) << "held at the maximum";
  p.set_max_value(20);
  EXPECT_EQ(p.double_value(), 20) << "a lower maximum takes the value down with it";
  p.set_double_value(std::nan(""));
  p.increment_by(INFINITY);
  p.set_min_value(std::nan(""));
  EXPECT_EQ(p.double_value(), 20);
  EXPECT_EQ(p.min_value(), 0);
  EXPECT_DOUBLE_EQ(p.fraction(), 1.0);
  p.set_min_value(-20);
  EXPECT_DOUBLE_EQ(p.fraction(), 1.0);
  p.set_double_value(0);
  EXPECT_DOUBLE_EQ(p.fraction(), 0.5);
}

TEST(ProgressIndicatorTest, TheStateSaysWhatTheBarShows) {
  Bar bar;
  bar.bar->set_max_value(2000);
  bar.bar->set_double_value(500);
  bar.bar->set_indeterminate(true);
  bar.bar->start_animation();
  bar.bar->set_hidden(true);
  std::error_code error;
  ASSERT_TRUE(bar.window.display(error)) << error.message();
  const plist::Dictionary state = test_support::read_state_file(bar.render.file("import.state"));
  const plist::Dictionary* root = test_support::dictionary_at(state, "views");
  ASSERT_TRUE(root);
  const plist::Array* subviews = test_support::array_at(*root, "subviews");
  ASSERT_TRUE(subviews && subviews->size() == 1);
  const plist::Dictionary& shown = *(*subviews)[0].as_dictionary();
  EXPECT_EQ(test_support::string_at(shown, "kind"), "progress");
  EXPECT_EQ(test_support::string_at(shown, "identifier"), "bar");
  EXPECT_EQ(test_support::bool_at(shown, "indeterminate"), true);
  EXPECT_EQ(test_support::bool_at(shown, "animating"), true);
  EXPECT_EQ(test_support::bool_at(shown, "hidden"), true);
  EXPECT_EQ(shown.find("min")->real_value(), 0);
  EXPECT_EQ(shown.find("max")->real_value(), 2000);
  EXPECT_EQ(shown.find("value")->real_value(), 500);

  bar.bar->set_hidden(false);
  EXPECT_EQ(test_support::bool_at(test_support::described(*bar.bar), "hidden"), false)
      << "written also when shown";
}

TEST(ProgressIndicatorTest, AHiddenBarDrawsNothing) {
  Bar bar;
  bar.bar->set_double_value(60);
  EXPECT_GT(bar.inked_pixels(), 1000);
  bar.bar->set_hidden(true);
  EXPECT_EQ(bar.inked_pixels(), 0);
  bar.bar->set_indeterminate(true);
  EXPECT_EQ(bar.inked_pixels(), 0);
}

TEST(ProgressIndicatorTest, AnIndeterminateBarsStripesMoveOnlyWhileItAnimates) {
  Bar bar;
  bar.window.order_front();
  bar.bar->set_indeterminate(true);
  const auto still = bar.window.render();
  ASSERT_TRUE(still);
  EXPECT_GT(bar.filled_pixels(), 40) << "dark stripes";
  EXPECT_LT(bar.filled_pixels(), 160) << "between light ones";

  // Animating, the timer moves the stripes and displays the window each time.
  std::error_code error;
  ASSERT_TRUE(bar.window.display(error)) << error.message();
  const std::uint64_t sequence = bar.window.sequence();
  bar.bar->start_animation();
  const RunLoop::SourceId watch = bar.loop.add_timer(
      10ms,
      [&] {
        if (bar.bar->stripe_phase() >= 3) bar.loop.stop();
      },
      10ms);
  ASSERT_TRUE(bar.loop.run_for(30s)) << "the stripes never moved";
  bar.loop.cancel_timer(watch);
  EXPECT_GE(bar.window.sequence(), sequence + 3) << "each step displayed the window";
  const auto moved = bar.window.render();
  ASSERT_TRUE(moved);
  bool differs = false;
  for (int x = 11; x < 209 && !differs; ++x) differs = still->pixel(x, 19) != moved->pixel(x, 19);
  EXPECT_TRUE(differs);

  // Stopped, or determinate, no timer runs: the phase stays whatever the time.
  bar.bar->stop_animation();
  const std::uint64_t stopped_at = bar.bar->stripe_phase();
  bar.loop.run_for(3 * ProgressIndicator::kStripeStep);
  EXPECT_EQ(bar.bar->stripe_phase(), stopped_at);
  bar.bar->set_indeterminate(false);
  bar.bar->start_animation();
  bar.loop.run_for(3 * ProgressIndicator::kStripeStep);
  EXPECT_EQ(bar.bar->stripe_phase(), stopped_at);
}

}  // namespace
}  // namespace platform::ui
