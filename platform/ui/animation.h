// Animations on a program's run loop: the progress runs from 0 to 1 over a duration, marked
// by a timer at the frame rate; each mark hands the eased value to the owner. Nothing runs on
// another thread.
#pragma once

#include <chrono>
#include <functional>

#include "platform/runloop.h"
#include "platform/ui/window.h"

namespace platform::ui {

enum class AnimationCurve { EaseInOut = 0, EaseIn = 1, EaseOut = 2, Linear = 3 };

// The curve's value at progress `t` (clamped to 0..1); 0 at 0 and 1 at 1 for every curve.
double animation_value(AnimationCurve curve, double t);

class Animation {
 public:
  using Seconds = std::chrono::duration<double>;
  using Callback = std::function<void(Animation& animation)>;

  Animation(RunLoop& loop, Seconds duration, AnimationCurve curve);
  ~Animation();  // stops it
  Animation(const Animation&) = delete;
  Animation& operator=(const Animation&) = delete;

  Seconds duration() const { return duration_; }
  // A duration below zero or not finite is refused (false).
  bool set_duration(Seconds duration);
  // Marks per second while animating (default 30; clamped to 1..120).
  void set_frame_rate(double frames_per_second);

  double current_progress() const { return progress_; }
  // The curve applied to the progress.
  double current_value() const;
  // Sets the progress (clamped to 0..1) and runs on_progress.
  void set_current_progress(double progress);

  // Runs from the current progress to 1 over what is left of the duration, marking the frames;
  // at 1, on_progress runs a last time, then on_end. A running animation starts over. No
  // callback runs inside start(): a zero duration ends at the first mark.
  void start();
  // Stops where it is; on_end does not run.
  void stop();
  bool is_animating() const { return timer_ != 0; }

  // Either callback may stop or destroy the animation.
  void on_progress(Callback callback) { on_progress_ = std::move(callback); }
  void on_end(Callback callback) { on_end_ = std::move(callback); }

 private:
  void mark();

  RunLoop& loop_;
  Seconds duration_;
  AnimationCurve curve_;
  double frame_rate_ = 30;
  double progress_ = 0;
  RunLoop::Clock::time_point started_;
  double start_progress_ = 0;
  RunLoop::SourceId timer_ = 0;
  Callback on_progress_;
  Callback on_end_;
  // Tells a mark whose callback destroyed the animation to touch nothing more.
  std::shared_ptr<bool> alive_;
};

// A window's alpha animated towards a value; each frame displays the window so its state shows
// the alpha. A new animate_to replaces the running one, starting from the alpha reached.
class AlphaAnimator {
 public:
  AlphaAnimator(RunLoop& loop, Window& window);

  // A target outside 0..1 is clamped; NaN is ignored. A duration of zero (or one that cannot
  // be) sets it and displays the window at once.
  void animate_to(double alpha, Animation::Seconds duration);
  void stop();
  bool is_animating() const { return animation_.is_animating(); }
  // The alpha the running (or last) animation ends at.
  double target() const { return target_; }

 private:
  Window& window_;
  Animation animation_;
  double from_ = 1;
  double target_ = 1;
};

}  // namespace platform::ui
