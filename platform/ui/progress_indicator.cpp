#include "platform/ui/progress_indicator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/gfx/path.h"
#include "platform/ui/control_drawing.h"

namespace platform::ui {
namespace {

constexpr gfx::Colour kTrack{0.88, 0.88, 0.88, 1};
constexpr gfx::Colour kLightStripe{0.62, 0.76, 0.95, 1};
// Stripes are this wide across, slanted by the bar's height; each step moves them 2 points.
constexpr double kStripeWidth = 8;
constexpr double kStripeStepPoints = 2;

}  // namespace

ProgressIndicator::ProgressIndicator(Rect frame, RunLoop& loop) : View(frame), loop_(loop) {}

ProgressIndicator::~ProgressIndicator() {
  if (timer_ != 0) loop_.cancel_timer(timer_);
}

void ProgressIndicator::set_indeterminate(bool indeterminate) {
  if (indeterminate == indeterminate_) return;
  indeterminate_ = indeterminate;
  update_timer();
  set_needs_display();
}

void ProgressIndicator::set_min_value(double minimum) {
  if (!std::isfinite(minimum)) return;
  min_ = minimum;
  hold_value();
  set_needs_display();
}

void ProgressIndicator::set_max_value(double maximum) {
  if (!std::isfinite(maximum)) return;
  max_ = maximum;
  hold_value();
  set_needs_display();
}

void ProgressIndicator::set_double_value(double value) {
  if (!std::isfinite(value)) return;
  value_ = value;
  hold_value();
  set_needs_display();
}

void ProgressIndicator::increment_by(double delta) {
  if (!std::isfinite(delta) || !std::isfinite(value_ + delta)) return;
  set_double_value(value_ + delta);
}

void ProgressIndicator::hold_value() {
  if (min_ <= max_) value_ = std::clamp(value_, min_, max_);
}

double ProgressIndicator::fraction() const {
  if (!(max_ > min_)) return 0;
  return std::clamp((value_ - min_) / (max_ - min_), 0.0, 1.0);
}

void ProgressIndicator::start_animation() {
  if (animating_) return;
  animating_ = true;
  display_failure_reported_ = false;
  update_timer();
  set_needs_display();
}

void ProgressIndicator::stop_animation() {
  if (!animating_) return;
  animating_ = false;
  update_timer();
  set_needs_display();
}

void ProgressIndicator::update_timer() {
  const bool moving = animating_ && indeterminate_;
  if (moving && timer_ == 0) {
    timer_ = loop_.add_timer(kStripeStep, [this] { step(); }, kStripeStep);
  } else if (!moving && timer_ != 0) {
    loop_.cancel_timer(timer_);
    timer_ = 0;
  }
}

void ProgressIndicator::step() {
  ++phase_;
  set_needs_display();
  // Nobody else displays the window while only the stripes move.
  Window* shown_in = window();
  if (shown_in == nullptr || !shown_in->is_visible() || is_hidden_or_has_hidden_ancestor()) return;
  std::error_code error;
  if (!shown_in->display_if_needed(error) && !display_failure_reported_) {
    display_failure_reported_ = true;
    std::fprintf(stderr, "window %s/%s not written: %s\n", shown_in->program().c_str(),
                 shown_in->name().c_str(), error.message().c_str());
  }
}

void ProgressIndicator::draw(gfx::Canvas& canvas) const {
  const Rect track = bounds();
  if (track.width < 1 || track.height < 1) return;
  canvas.fill(track, kTrack);
  const Rect inside{1, 1, track.width - 2, track.height - 2};
  if (indeterminate_) {
    canvas.save();
    canvas.clip(inside);
    canvas.fill(inside, kLightStripe);
    // Dark stripes every two widths, slanted by the height, shifted with the phase.
    const double period = 2 * kStripeWidth;
    const double shift = std::fmod(static_cast<double>(phase_) * kStripeStepPoints, period);
    for (double x = -track.height - period + shift; x < track.width; x += period) {
      gfx::Path stripe;
      stripe.move_to(gfx::Point{x, 0});
      stripe.line_to(gfx::Point{x + kStripeWidth, 0});
      stripe.line_to(gfx::Point{x + kStripeWidth + track.height, track.height});
      stripe.line_to(gfx::Point{x + track.height, track.height});
      stripe.close();
      canvas.fill(stripe, look::kSelection);
    }
    canvas.restore();
  } else if (const double filled = std::floor(inside.width * fraction()); filled > 0) {
    canvas.fill(Rect{inside.x, inside.y, filled, inside.height}, look::kSelection);
  }
  canvas.stroke(Rect{0.5, 0.5, track.width - 1, track.height - 1}, look::kBorder, 1);
}

const char* ProgressIndicator::kind() const { return "progress"; }

void ProgressIndicator::describe_into(plist::Dictionary& shows) const {
  shows.set("indeterminate", indeterminate_);
  shows.set("animating", animating_);
  shows.set("min", min_);
  shows.set("max", max_);
  shows.set("value", value_);
  shows.set("hidden", is_hidden());
}

}  // namespace platform::ui
