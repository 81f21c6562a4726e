#include "platform/ui/animation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "platform/ui/tests/view_test_support.h"
#include "platform/ui/tests/window_test_support.h"

namespace platform::ui {
namespace {

using namespace std::chrono_literals;
using test_support::RenderDir;

TEST(AnimationTest, CurvesRunFromZeroToOne) {
  struct Case {
    AnimationCurve curve;
    double t;
    double value;
  };
  const Case cases[] = {
      {AnimationCurve::Linear, 0.25, 0.25},     {AnimationCurve::EaseIn, 0.5, 0.25},
      {AnimationCurve::EaseOut, 0.5, 0.75},     {AnimationCurve::EaseInOut, 0.5, 0.5},
      {AnimationCurve::EaseInOut, 0.25, (1 - std::cos(M_PI / 4)) / 2},
      {AnimationCurve::EaseIn, -3, 0},          {AnimationCurve::EaseOut, 7, 1},
      {AnimationCurve::Linear, std::nan(""), 0},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(animation_value(c.curve, c.t), c.value, 1e-12)
        << static_cast<int>(c.curve) << " at " << c.t;
  }
  for (auto curve : {AnimationCurve::EaseInOut, AnimationCurve::EaseIn, AnimationCurve::EaseOut,
                     AnimationCurve::Linear}) {
    EXPECT_EQ(animation_value(curve, 0), 0);
    EXPECT_EQ(animation_value(curve, 1), 1);
  }
}

// An animation on a real loop that records what it is told.
struct Animated {
  RunLoop loop;
  std::unique_ptr<Animation> animation;
  std::vector<double> values;
  int ends = 0;

  explicit Animated(Animation::Seconds duration, AnimationCurve curve = AnimationCurve::Linear)
      : animation(std::make_unique<Animation>(loop, duration, curve)) {
    animation->set_frame_rate(100);
    animation->on_progress([this](Animation& a) { values.push_back(a.current_value()); });
    animation->on_end([this](Animation&) {
      ++ends;
      loop.stop();
    });
  }
};

TEST(AnimationTest, ItReachesOneAndEndsOnce) {
  Animated run(150ms, AnimationCurve::EaseIn);
  run.animation->start();
  EXPECT_TRUE(run.animation->is_animating());
  EXPECT_TRUE(run.loop.run_for(3s)) << "on_end stopped the loop";
  EXPECT_FALSE(run.loop.run_for(50ms)) << "nothing more happens";
  EXPECT_EQ(run.ends, 1);
  EXPECT_FALSE(run.animation->is_animating());
  EXPECT_EQ(run.animation->current_progress(), 1);
  ASSERT_GE(run.values.size(), 2u) << "marked along the way";
  EXPECT_EQ(run.values.back(), 1);
  for (std::size_t i = 1; i < run.values.size(); ++i) EXPECT_LE(run.values[i - 1], run.values[i]);
}

TEST(AnimationTest, AZeroDurationEndsAtTheFirstMark) {
  Animated run(0s);
  run.animation->start();
  EXPECT_EQ(run.ends, 0) << "never inside start()";
  EXPECT_TRUE(run.loop.run_for(3s));
  EXPECT_EQ(run.values, std::vector<double>{1});
  EXPECT_EQ(run.ends, 1);
}

TEST(AnimationTest, StoppingKeepsItFromEnding) {
  Animated run(60ms);
  run.animation->on_progress([&](Animation& a) { a.stop(); });
  run.animation->start();
  run.loop.run_for(200ms);
  EXPECT_EQ(run.ends, 0);
  EXPECT_FALSE(run.animation->is_animating());
  EXPECT_LT(run.animation->current_progress(), 1);
}

TEST(AnimationTest, ACallbackMayDestroyTheAnimation) {
  for (bool in_end : {false, true}) {
    Animated run(20ms);
    int calls = 0;
    auto destroy = [&](Animation&) {
      ++calls;
      run.animation.reset();
    };
    if (in_end) {
      run.animation->on_end(destroy);
    } else {
      run.animation->on_progress(destroy);
    }
    run.animation->start();
    run.loop.run_for(200ms);
    EXPECT_EQ(calls, 1) << in_end;
    EXPECT_FALSE(run.animation);
  }
}

TEST(AnimationTest, DurationsAndRatesThatCannotBeAreRefused) {
  RunLoop loop;
  Animation animation(loop, -1s, AnimationCurve::Linear);
  EXPECT_EQ(animation.duration().count(), 0) << "a negative duration is refused at construction";
  EXPECT_FALSE(animation.set_duration(Animation::Seconds(std::nan(""))));
  EXPECT_FALSE(animation.set_duration(-2s));
  EXPECT_TRUE(animation.set_duration(2s));
  EXPECT_EQ(animation.duration().count(), 2);
  animation.set_current_progress(4);
  EXPECT_EQ(animation.current_progress(), 1);
  animation.set_current_progress(-4);
  EXPECT_EQ(animation.current_progress(), 0);
}

TEST(AlphaAnimatorTest, TheWindowEndsAtTheTargetWithItsStateWritten) {
  RenderDir render;
  RunLoop loop;
  Window window("TestProgram", "fading", Rect{0, 0, 20, 20});
  window.order_front();
  AlphaAnimator fader(loop, window);
  fader.animate_to(0.2, 60ms);
  EXPECT_TRUE(fader.is_animating());
  EXPECT_EQ(window.alpha(), 1) << "the first frame comes from the loop";
  for (int i = 0; i < 100 && fader.is_animating(); ++i) loop.run_for(20ms);
  EXPECT_FALSE(fader.is_animating());
  EXPECT_DOUBLE_EQ(window.alpha(), 0.2);
  const plist::Dictionary state = test_support::read_state_file(render.file("fading.state"));
  EXPECT_DOUBLE_EQ(state.find("alpha")->real_value().value_or(-1), 0.2);
  const auto frames = window.sequence();
  EXPECT_GE(frames, 2u) << "each frame displays";

  fader.animate_to(7, 0s);  // clamped, and set at once
  EXPECT_EQ(window.alpha(), 1);
  EXPECT_EQ(fader.target(), 1);
  EXPECT_EQ(window.sequence(), frames + 1);
  fader.animate_to(std::nan(""), 1s);
  EXPECT_FALSE(fader.is_animating());
  EXPECT_EQ(fader.target(), 1);
}

TEST(AlphaAnimatorTest, ANewTargetStartsFromTheAlphaReached) {
  RenderDir render;
  RunLoop loop;
  Window window("TestProgram", "fading", Rect{0, 0, 20, 20});
  AlphaAnimator fader(loop, window);
  fader.animate_to(0, 10s);
  loop.run_for(100ms);
  const double reached = window.alpha();
  EXPECT_LT(reached, 1);
  EXPECT_GT(reached, 0.5);
  fader.animate_to(1, 30ms);
  loop.run_for(15ms);
  EXPECT_GE(window.alpha(), reached) << "no jump back to the old start";
  for (int i = 0; i < 100 && fader.is_animating(); ++i) loop.run_for(20ms);
  EXPECT_EQ(window.alpha(), 1);
}

}  // namespace
}  // namespace platform::ui
