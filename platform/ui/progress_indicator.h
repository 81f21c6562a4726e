// A progress bar. Determinate, it is filled from the left to the fraction its value makes of
// the range between its minimum and maximum; indeterminate, it shows diagonal stripes that
// move while it animates (a timer on the run loop moves them and displays the window).
//
// The state describes it as kind "progress" with "indeterminate", "animating", "min", "max",
// "value" and "hidden" (always written, unlike other views). A hidden bar draws nothing.
// Everything here runs on the loop's thread; workers reach a bar through RunLoop::perform.
#pragma once

#include <chrono>
#include <cstdint>

#include "platform/runloop.h"
#include "platform/ui/view.h"

namespace platform::ui {

class ProgressIndicator : public View {
 public:
  // The stripes move every kStripeStep while animating.
  static constexpr std::chrono::milliseconds kStripeStep{100};

  // Determinate, range 0..100, value 0, not animating. The animation's timer runs on `loop`,
  // which must outlive the bar.
  ProgressIndicator(Rect frame, RunLoop& loop);
  ~ProgressIndicator() override;

  bool is_indeterminate() const { return indeterminate_; }
  void set_indeterminate(bool indeterminate);

  double min_value() const { return min_; }
  double max_value() const { return max_; }
  double double_value() const { return value_; }
  // Values that are not finite are ignored. The value is held within the range whenever the
  // value or the range changes (while the minimum is not above the maximum).
  void set_min_value(double minimum);
  void set_max_value(double maximum);
  void set_double_value(double value);
  void increment_by(double delta);
  // The part of the bar filled: 0..1, 0 for an empty or reversed range.
  double fraction() const;

  // Only an indeterminate bar shows it, but a determinate one remembers it (and the state says
  // so), so turning it indeterminate later moves the stripes at once.
  void start_animation();
  void stop_animation();
  bool is_animating() const { return animating_; }
  // How far the stripes have moved: one step per timer mark, for tests and drawing.
  std::uint64_t stripe_phase() const { return phase_; }

  void draw(gfx::Canvas& canvas) const override;

 protected:
  const char* kind() const override;
  void describe_into(plist::Dictionary& shows) const override;

 private:
  // Runs the timer exactly while the stripes are seen moving: animating and indeterminate.
  void update_timer();
  void step();
  void hold_value();

  RunLoop& loop_;
  bool indeterminate_ = false;
  bool animating_ = false;
  double min_ = 0;
  double max_ = 100;
  double value_ = 0;
  std::uint64_t phase_ = 0;
  RunLoop::SourceId timer_ = 0;
  // One report per run of the timer when the window cannot be written.
  bool display_failure_reported_ = false;
};

}  // namespace platform::ui
