// The borderless window of the candidate list and the status bar: transparent (the views draw
// their own background and shadow), floating one level below the maximum, and moved by dragging
// anywhere inside it, never above the top of the main screen.
#pragma once

#include <string>

#include "platform/ui/window.h"

namespace kepskin {

class QRoundWindow : public platform::ui::Window {
 public:
  // Always borderless, whatever style the caller had in mind: `content_rect` is the frame.
  QRoundWindow(std::string program, std::string name, platform::ui::Rect content_rect);

  // The status bar is made key when shown, though it has no title bar.
  bool can_become_key() const override;

  // Offset of the last mouse-down from the window's origin, in screen points.
  platform::ui::Point initialLocation() const { return initialLocation_; }

 protected:
  void mouse_down(const platform::ui::MouseEvent& event) override;
  // Keeps the grabbed point under the mouse. A drag with no mouse-down before it (only an
  // injected one can come so) leaves the window where it is: there is no grabbed point.
  void mouse_dragged(const platform::ui::MouseEvent& event) override;
  void mouse_up(const platform::ui::MouseEvent& event) override;

 private:
  platform::ui::Point initialLocation_;
  bool grabbed_ = false;
};

}  // namespace kepskin
