// What every pane's controller starts with: the view it hands the host, the run loop it hands
// work to, and how it reads its settings.
#pragma once

#include <string_view>

#include "platform/plist.h"
#include "platform/ui/view.h"
#include "preferences/host/pane_protocol.h"

namespace panekit {

// The pane's view. The host adopts it into its window's tree, which then frees it; the view
// tells its pane (through `viewDidGo()`) when it goes, so the pane neither frees it twice nor
// touches its controls.
template <class Pane>
class PaneView : public platform::ui::View {
 public:
  PaneView(platform::ui::Rect frame, Pane* pane) : View(frame), pane_(pane) {}
  ~PaneView() override {
    if (pane_ != nullptr) pane_->viewDidGo();
  }

  // The pane is going: the view stops telling it, and goes too unless a tree holds it.
  void release() {
    pane_ = nullptr;
    if (superview() == nullptr && window() == nullptr) delete this;
  }

 private:
  Pane* pane_;
};

// The preferences program's run loop; null outside that program.
inline platform::RunLoop* host_run_loop() {
  return kep_preferences_run_loop != nullptr ? kep_preferences_run_loop() : nullptr;
}

// A setting counts only when present with the integer value 1 (true reads as 1).
inline bool is_set(const platform::plist::Dictionary& prefs, std::string_view key) {
  const platform::plist::Value* value = prefs.find(key);
  return value != nullptr && value->integer_value() == 1;
}

}  // namespace panekit
