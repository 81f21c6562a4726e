#include "platform/ui/animation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace platform::ui {

double animation_value(AnimationCurve curve, double t) {
  if (std::isnan(t)) t = 0;
  t = std::clamp(t, 0.0, 1.0);
  switch (curve) {
    case AnimationCurve::EaseInOut: return (1 - std::cos(std::numbers::pi * t)) / 2;
    case AnimationCurve::EaseIn: return t * t;
    case AnimationCurve::EaseOut: return 1 - (1 - t) * (1 - t);
    case AnimationCurve::Linear: break;
  }
  return t;
}

Animation::Animation(RunLoop& loop, Seconds duration, AnimationCurve curve)
    : loop_(loop), duration_(0), curve_(curve), alive_(std::make_shared<bool>(true)) {
  set_duration(duration);
}

Animation::~Animation() {
  *alive_ = false;
  stop();
}

bool Animation::set_duration(Seconds duration) {
  if (!std::isfinite(duration.count()) || duration.count() < 0) return false;
  duration_ = duration;
  return true;
}

void Animation::set_frame_rate(double frames_per_second) {
  if (std::isnan(frames_per_second)) return;
  frame_rate_ = std::clamp(frames_per_second, 1.0, 120.0);
}

double Animation::current_value() const { return animation_value(curve_, progress_); }

void Animation::set_current_progress(double progress) {
  if (std::isnan(progress)) return;
  progress_ = std::clamp(progress, 0.0, 1.0);
  if (on_progress_) {
    Callback callback = on_progress_;
    callback(*this);
  }
}

void Animation::start() {
  stop();
  start_progress_ = progress_;
  started_ = RunLoop::Clock::now();
  const auto period = std::chrono::milliseconds(
      std::max<long long>(1, std::llround(1000.0 / frame_rate_)));
  // A zero duration, or a start at 1, ends at the first mark, never inside start().
  std::weak_ptr<bool> alive = alive_;
  timer_ = loop_.add_timer(
      period,
      [this, alive] {
        auto living = alive.lock();
        if (living && *living) mark();
      },
      period);
}

void Animation::stop() {
  if (timer_ == 0) return;
  loop_.cancel_timer(timer_);
  timer_ = 0;
}

void Animation::mark() {
  const double remaining = duration_.count() * (1 - start_progress_);
  const double elapsed = std::chrono::duration<double>(RunLoop::Clock::now() - started_).count();
  double progress = 1;
  if (remaining > 0 && elapsed < remaining) {
    progress = start_progress_ + (1 - start_progress_) * (elapsed / remaining);
  }
  progress_ = std::clamp(progress, 0.0, 1.0);

  // Either callback may stop, restart or destroy the animation.
  const std::shared_ptr<bool> alive = alive_;
  const RunLoop::SourceId this_run = timer_;
  if (on_progress_) {
    Callback callback = on_progress_;
    callback(*this);
    if (!*alive || timer_ != this_run) return;
  }
  if (progress_ < 1) return;
  stop();
  if (on_end_) {
    Callback callback = on_end_;
    callback(*this);
  }
}

AlphaAnimator::AlphaAnimator(RunLoop& loop, Window& window)
    : window_(window),
      animation_(loop, Animation::Seconds(0), AnimationCurve::Linear),
      from_(window.alpha()),
      target_(window.alpha()) {}

void AlphaAnimator::animate_to(double alpha, Animation::Seconds duration) {
  if (std::isnan(alpha)) return;
  animation_.stop();
  from_ = window_.alpha();
  target_ = std::clamp(alpha, 0.0, 1.0);
  if (!animation_.set_duration(duration) || duration.count() == 0) {
    window_.set_alpha(target_);
    window_.display_reporting_errors();
    return;
  }
  // Back to the start without a frame: the window already shows `from_`.
  animation_.on_progress(nullptr);
  animation_.set_current_progress(0);
  animation_.on_progress([this](Animation& animation) {
    window_.set_alpha(from_ + (target_ - from_) * animation.current_value());
    window_.display_reporting_errors();
  });
  animation_.start();
}

void AlphaAnimator::stop() { animation_.stop(); }

}  // namespace platform::ui
