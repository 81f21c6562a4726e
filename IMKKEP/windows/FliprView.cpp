#include "IMKKEP/windows/FliprView.h"

#include <system_error>

#include "IMKKEP/windows/FliprGeometry.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/window_display.h"
#include "platform/gfx/perspective.h"
#include "platform/gfx/shadow.h"
#include "platform/workspace.h"

namespace imkkep {
namespace {

using Clock = std::chrono::steady_clock;
constexpr platform::ui::Rect kFlippingFrame{128, 128, 512, 768};
constexpr double kInsetX = 64;
constexpr double kInsetY = 256;


void record_cursor(bool hidden) {
  std::error_code error;
  const bool recorded = hidden ? platform::workspace::hide_cursor(error)
                               : platform::workspace::unhide_cursor(error);
  if (!recorded) KEPLog("The cursor change was not recorded: %s", error.message().c_str());
}

std::unique_ptr<FlippingWindow>& flipping_window() {
  static std::unique_ptr<FlippingWindow> window;
  return window;
}

}  // namespace

FliprView::FliprView(platform::RunLoop& loop, platform::ui::Rect frame,
                     platform::ui::Rect original_rect)
    : View(frame),
      original_rect_(original_rect),
      animation_(loop, std::chrono::duration<double>(kFlipDuration),
                 platform::ui::AnimationCurve::EaseInOut) {
  animation_.on_progress([this](platform::ui::Animation& animation) {
    if (animation.is_animating() && animation.current_progress() < 0.99) displayFrame();
  });
  animation_.on_end([this](platform::ui::Animation&) { animationDidEnd(); });
}

void FliprView::setInitialWindowAndFinalWindow(platform::ui::Window& initial,
                                               platform::ui::Window& final, bool forward) {
  platform::ui::Window* flipping = window();
  if (flipping == nullptr || isFlipping()) return;
  record_cursor(true);
  initial_ = &initial;
  final_ = &final;
  direction_ = forward ? 1 : -1;

  // The flipping window sits so that the face's picture lands on the turning rectangle.
  const platform::ui::Rect face = initial.frame();
  const platform::ui::Rect current = flipping->frame();
  flipping->set_frame({face.x - original_rect_.x, face.y - original_rect_.y,
                       face.width - original_rect_.width + current.width,
                       face.height - original_rect_.height + current.height});
  original_rect_.width = face.width;
  original_rect_.height = face.height;

  initial_image_ = initial.render();
  final.make_key_and_order_front();
  final_image_ = final.render();
  final.set_alpha(0);
  initial.order_out();
  KEPDisplayWindow(initial);
  KEPDisplayWindow(final);

  animation_.stop();
  flipping->set_level(final.level());
  flipping->order_front();
  frame_time_ = 0.03;
  animation_.set_current_progress(kFirstFrameProgress);
  displayFrame();
  const bool slowly = (platform::ui::current_modifier_flags() & platform::ui::kShiftKeyMask) != 0;
  const double planned = slowly ? kSlowFlipDuration : kFlipDuration;
  const double total = flipTotalDuration(planned, frame_time_);
  animation_.set_duration(std::chrono::duration<double>(total));
  animation_.set_current_progress(flipStartProgress(planned, frame_time_));
  animation_.start();
}

void FliprView::displayFrame() {
  if (platform::ui::Window* flipping = window()) KEPDisplayWindow(*flipping);
}

void FliprView::draw(platform::gfx::Canvas& canvas) const {
  if (!isFlipping()) return;
  const Clock::time_point started = Clock::now();
  const FlipFrame frame = flipFrame(animation_.current_value(), direction_,
                                    original_rect_.width / 2, original_rect_.height / 2);
  const std::optional<platform::gfx::Surface>& picture =
      frame.shows_final_face ? final_image_ : initial_image_;
  std::optional<platform::gfx::Surface> turned =
      platform::gfx::Surface::create(canvas.width(), canvas.height());
  if (picture && turned) {
    platform::gfx::Quad corners = frame.corners;
    for (platform::gfx::Point* corner : {&corners.top_left, &corners.top_right,
                                         &corners.bottom_right, &corners.bottom_left}) {
      corner->x += original_rect_.x;
      corner->y += original_rect_.y;
    }
    // Edge-on at half way there is nothing to draw.
    if (platform::gfx::draw_in_perspective(*turned, *picture, corners,
                                           platform::gfx::Orientation::y_up)) {
      const platform::gfx::Shadow shadow{0, -8, 23, {0, 0, 0, 0.3}};
      if (!platform::gfx::draw_with_shadow(canvas, *turned, {0, 0}, shadow)) {
        canvas.draw(*turned, {0, 0, static_cast<double>(turned->width()),
                              static_cast<double>(turned->height())});
      }
    }
  }
  frame_time_ = std::chrono::duration<double>(Clock::now() - started).count();
}

void FliprView::animationDidEnd() {
  platform::ui::Window* flipping = window();
  if (flipping != nullptr) {
    flipping->order_out();
    KEPDisplayWindow(*flipping);
  }
  if (final_ != nullptr) {
    final_->set_alpha(1);
    KEPDisplayWindow(*final_);
  }
  initial_image_.reset();
  final_image_.reset();
  initial_ = nullptr;
  final_ = nullptr;
  record_cursor(false);
}

void FliprView::describe_into(platform::plist::Dictionary& shows) const {
  shows.set("flipping", isFlipping());
  shows.set("progress", animation_.current_progress());
  shows.set("value", animation_.current_value());
  shows.set("direction", direction_);
}

FlippingWindow::FlippingWindow(platform::RunLoop& loop)
    : window_("IMKKEP", "flip", kFlippingFrame, platform::ui::kBorderlessWindowMask) {
  window_.set_background_colour({0, 0, 0, 0});
  window_.set_opaque(false);
  window_.set_has_shadow(false);
  const platform::ui::Rect bounds{0, 0, kFlippingFrame.width, kFlippingFrame.height};
  auto view = std::make_unique<FliprView>(
      loop, bounds,
      platform::ui::Rect{kInsetX, kInsetY, bounds.width - 2 * kInsetX,
                         bounds.height - 2 * kInsetY});
  view_ = view.get();
  window_.set_content_view(std::move(view));
}

FlippingWindow* FlippingWindow::shared() { return flipping_window().get(); }

FlippingWindow& FlippingWindow::create(platform::RunLoop& loop) {
  std::unique_ptr<FlippingWindow>& window = flipping_window();
  if (!window) window.reset(new FlippingWindow(loop));
  return *window;
}

void FlippingWindow::releaseFlippingWindow() { flipping_window().reset(); }

void flipToShowWindow(platform::ui::Window& shown, platform::ui::Window& other, bool forward) {
  FlippingWindow* flipping = FlippingWindow::shared();
  if (flipping != nullptr && flipping->view().isFlipping()) return;
  other.set_frame(shown.frame());
  if (flipping != nullptr) {
    flipping->view().setInitialWindowAndFinalWindow(shown, other, forward);
    return;
  }
  other.make_key_and_order_front();
  shown.order_out();
  KEPDisplayWindow(other);
  KEPDisplayWindow(shown);
}

}  // namespace imkkep
