#include "IMKKEP/windows/KEPAccPanel.h"

#include <chrono>

namespace imkkep {
namespace {
constexpr std::chrono::duration<double> kFadeDuration{0.2};
}

KEPAccPanel::KEPAccPanel(platform::RunLoop& loop, platform::ui::Rect frame)
    : Panel("IMKKEP", "accessory", frame,
            platform::ui::kTitledWindowMask | platform::ui::kClosableWindowMask),
      animator_(loop, *this) {}

void KEPAccPanel::animateFadeIn() { animator_.animate_to(kBrightAlpha, kFadeDuration); }

void KEPAccPanel::animateFadeOut() { animator_.animate_to(kDimAlpha, kFadeDuration); }

void KEPAccPanel::mouse_entered(int tag) {
  if (entered_) entered_();
  animateFadeIn();
  Panel::mouse_entered(tag);
}

void KEPAccPanel::mouse_exited(int tag) {
  animateFadeOut();
  Panel::mouse_exited(tag);
}

}  // namespace imkkep
