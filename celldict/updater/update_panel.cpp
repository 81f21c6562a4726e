#include "celldict/updater/update_panel.h"

#include <chrono>
#include <cmath>

#include "celldict/update/update_log.h"
#include "platform/ui/screens.h"
#include "platform/ui/view.h"

namespace kepcelldictupdater {

using celldict::update::updlog;
using platform::ui::Rect;

namespace {

constexpr Rect kPanelFrame{0, 0, 240, 120};
constexpr double kTextInset = 10;

std::chrono::milliseconds millis(Seconds seconds) {
  return std::chrono::milliseconds(static_cast<std::int64_t>(std::ceil(seconds.count() * 1000)));
}

}  // namespace

UpdatePanel::UpdatePanel(Rect frame)
    : Panel(kProgramName, kUpdatePanelName, frame, platform::ui::kBorderlessWindowMask) {
  set_level(platform::ui::kFloatingWindowLevel);
  add_tracking_rect({0, 0, frame.width, frame.height});
}

void UpdatePanel::mouse_entered(int tag) {
  updlog("Mouse enter..");
  Panel::mouse_entered(tag);
}

void UpdatePanel::mouse_exited(int tag) {
  updlog("Mouse exit..");
  Panel::mouse_exited(tag);
}

UpdateNotice::UpdateNotice(platform::RunLoop& loop, platform::ui::WindowRegistry& registry,
                           Seconds shown_for, Seconds fade)
    : loop_(loop),
      registry_(registry),
      shown_for_(shown_for),
      panel_(std::make_unique<UpdatePanel>(kPanelFrame)),
      animation_(loop, fade, platform::ui::AnimationCurve::EaseInOut) {
  auto root = std::make_unique<platform::ui::View>(kPanelFrame);
  updateItemLable_ = &root->add_subview(std::make_unique<platform::ui::TextField>(
      Rect{kTextInset, kTextInset, kPanelFrame.width - 2 * kTextInset,
           kPanelFrame.height - 2 * kTextInset}));
  updateItemLable_->set_identifier("samples");
  panel_->set_content_view(std::move(root));
  panel_->set_alpha(0);
  animation_.on_progress([this](platform::ui::Animation& animation) {
    panel_->set_alpha(from_ + (to_ - from_) * animation.current_value());
    panel_->display_reporting_errors();
  });
  animation_.on_end([this](platform::ui::Animation&) { animationDidStop(); });
  registry_.add(*panel_);
}

UpdateNotice::~UpdateNotice() {
  if (hide_timer_ != 0) loop_.cancel_timer(hide_timer_);
  animation_.stop();
  registry_.remove(*panel_);
}

void UpdateNotice::showUpdates(const std::string& text) {
  if (hide_timer_ != 0) loop_.cancel_timer(hide_timer_);
  updateItemLable_->set_text(text);
  const Rect visible = platform::ui::main_screen().visible_frame;
  panel_->set_alpha(0);
  panel_->order_front();
  panel_->set_frame_origin({visible.x + visible.width - panel_->frame().width - kPanelMargin,
                            visible.y + kPanelMargin});
  panel_->display_reporting_errors();
  fadeInWindow();
  hide_timer_ = loop_.add_timer(millis(shown_for_), [this] {
    hide_timer_ = 0;
    hideUpdates();
  });
}

void UpdateNotice::hideUpdates() {
  if (panel_->is_visible()) fadeOutWindow();
}

void UpdateNotice::fadeInWindow() { fade(panel_->alpha(), 1); }

void UpdateNotice::fadeOutWindow() { fade(panel_->alpha(), 0); }

void UpdateNotice::fade(double from, double to) {
  animation_.stop();
  from_ = from;
  to_ = to;
  animation_.set_current_progress(0);
  animation_.start();
}

void UpdateNotice::animationDidStop() {
  // Faded out: off the screen. A fade-in that ended leaves the panel showing.
  if (to_ == 0 && panel_->alpha() == 0) {
    panel_->order_out();
    panel_->display_reporting_errors();
  }
}

}  // namespace kepcelldictupdater
