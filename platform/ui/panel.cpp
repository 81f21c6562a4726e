#include "platform/ui/panel.h"

namespace platform::ui {

Panel::Panel(std::string program, std::string name, Rect frame, unsigned style_mask)
    : Window(std::move(program), std::move(name), frame, style_mask) {
  set_level(kFloatingWindowLevel);
}

}  // namespace platform::ui
