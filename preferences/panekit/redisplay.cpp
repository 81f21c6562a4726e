#include "preferences/panekit/redisplay.h"

#include <system_error>

#include "platform/ui/view.h"
#include "platform/ui/window.h"

namespace panekit {

void redisplay_window_of(platform::ui::View* view) {
  platform::ui::Window* window = view != nullptr ? view->window() : nullptr;
  if (window == nullptr) return;
  std::error_code ignored;
  window->display_if_needed(ignored);
}

}  // namespace panekit
