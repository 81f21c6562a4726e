// The accessory panel's window: a floating panel that brightens while the pointer is over it
// and dims to a translucent, still usable state when it leaves.
#pragma once

#include <functional>

#include "platform/runloop.h"
#include "platform/ui/animation.h"
#include "platform/ui/panel.h"

namespace imkkep {

class KEPAccPanel : public platform::ui::Panel {
 public:
  static constexpr double kBrightAlpha = 1.0;
  static constexpr double kDimAlpha = 0.3;

  KEPAccPanel(platform::RunLoop& loop, platform::ui::Rect frame);

  void animateFadeIn();
  void animateFadeOut();
  // Called when the pointer enters the panel, before it brightens.
  void setEnteredHandler(std::function<void()> handler) { entered_ = std::move(handler); }
  platform::ui::AlphaAnimator& animator() { return animator_; }

 protected:
  void mouse_entered(int tag) override;
  void mouse_exited(int tag) override;

 private:
  platform::ui::AlphaAnimator animator_;
  std::function<void()> entered_;
};

}  // namespace imkkep
