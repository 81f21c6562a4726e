// The card flip between the about window's faces: one shared borderless window in which the
// face being left turns about its vertical axis in perspective, the other face shows from half
// way, and the flip lands on it.
#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include "platform/gfx/surface.h"
#include "platform/runloop.h"
#include "platform/ui/animation.h"
#include "platform/ui/view.h"
#include "platform/ui/window.h"

namespace imkkep {

class FliprView : public platform::ui::View {
 public:
  static constexpr double kFlipDuration = 0.65;
  // With Shift held as the flip starts: slow enough to watch.
  static constexpr double kSlowFlipDuration = 3.25;
  static constexpr double kFirstFrameProgress = 0.0325;

  FliprView(platform::RunLoop& loop, platform::ui::Rect frame, platform::ui::Rect original_rect);

  // Starts turning from `initial` to `final` (forward: towards the back face); slowly when the
  // event that asked for it came with Shift held. Nothing while a flip runs or outside a window.
  void setInitialWindowAndFinalWindow(platform::ui::Window& initial, platform::ui::Window& final,
                                      bool forward);
  bool isFlipping() const { return initial_ != nullptr; }
  const platform::ui::Rect& originalRect() const { return original_rect_; }
  double frameTime() const { return frame_time_; }
  const platform::ui::Animation& animation() const { return animation_; }

  void draw(platform::gfx::Canvas& canvas) const override;

 protected:
  const char* kind() const override { return "flip"; }
  void describe_into(platform::plist::Dictionary& shows) const override;

 private:
  void displayFrame();
  void animationDidEnd();

  platform::ui::Rect original_rect_;
  platform::ui::Window* initial_ = nullptr;
  platform::ui::Window* final_ = nullptr;
  std::optional<platform::gfx::Surface> initial_image_;
  std::optional<platform::gfx::Surface> final_image_;
  platform::ui::Animation animation_;
  double direction_ = 1;
  mutable double frame_time_ = 0.03;
};

// The shared window the faces flip in (512 x 768, borderless, clear, no shadow), made on first
// use and kept until releaseFlippingWindow().
class FlippingWindow {
 public:
  static FlippingWindow* shared();
  static FlippingWindow& create(platform::RunLoop& loop);
  static void releaseFlippingWindow();

  platform::ui::Window& window() { return window_; }
  FliprView& view() { return *view_; }

 private:
  explicit FlippingWindow(platform::RunLoop& loop);

  platform::ui::Window window_;
  FliprView* view_;
};

// Turns from the face `shown` to `other`: the other face takes the shown one's frame, then the
// flip plays in the flipping window, or, without one, the other face simply replaces it.
void flipToShowWindow(platform::ui::Window& shown, platform::ui::Window& other, bool forward);

}  // namespace imkkep
