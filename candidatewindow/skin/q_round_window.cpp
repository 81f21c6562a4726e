#include "candidatewindow/skin/q_round_window.h"

#include "platform/ui/screens.h"

namespace kepskin {

using platform::ui::MouseEvent;
using platform::ui::Point;

QRoundWindow::QRoundWindow(std::string program, std::string name, platform::ui::Rect content_rect)
    : Window(std::move(program), std::move(name), content_rect, platform::ui::kBorderlessWindowMask) {
  set_background_colour(platform::gfx::Colour{0, 0, 0, 0});
  set_level(platform::ui::kMaximumWindowLevel - 1);
  set_alpha(1.0);
  set_opaque(false);
  set_has_shadow(false);
}

bool QRoundWindow::can_become_key() const { return true; }

void QRoundWindow::mouse_down(const MouseEvent& event) {
  Point in_screen = convert_to_screen(event.location);
  initialLocation_ = Point{in_screen.x - frame().x, in_screen.y - frame().y};
  grabbed_ = true;
}

void QRoundWindow::mouse_dragged(const MouseEvent& event) {
  if (!grabbed_) return;
  Point mouse = convert_to_screen(event.location);
  Point origin{mouse.x - initialLocation_.x, mouse.y - initialLocation_.y};
  const platform::ui::Rect screen = platform::ui::main_screen().frame;
  const double screen_top = screen.y + screen.height;
  if (origin.y + frame().height > screen_top) origin.y = screen_top - frame().height;
  set_frame_origin(origin);
}

void QRoundWindow::mouse_up(const MouseEvent&) { grabbed_ = false; }

}  // namespace kepskin
