// Showing a change made outside a control command at once.
#pragma once

namespace platform::ui {
class View;
}

namespace panekit {

// Writes the files of the window `view` is in again, when something changed, so a change made
// outside a control command is seen at once. Nothing when the view is in no window.
void redisplay_window_of(platform::ui::View* view);

}  // namespace panekit
