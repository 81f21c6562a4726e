// Draws the pane's toolbar icon at build time: two linked rings on a rounded tile, for a table
// plugged into the input method. Usage: kep-codetable-icon OUT.png
#include "preferences/panekit/icon_tool.h"

int main(int argc, char** argv) {
  return panekit::write_icon(argc, argv, [](platform::gfx::Canvas& canvas) {
    constexpr int kSide = panekit::kIconSide;
    canvas.fill(platform::gfx::Rect{2, 2, kSide - 4, kSide - 4}, {0.30, 0.60, 0.35, 1});
    canvas.stroke(platform::gfx::Rect{2, 2, kSide - 4, kSide - 4}, {0.15, 0.35, 0.20, 1}, 1.5);
    canvas.stroke(platform::gfx::Rect{7, 11, 11, 10}, {1, 1, 1, 1}, 2);
    canvas.stroke(platform::gfx::Rect{14, 11, 11, 10}, {1, 1, 1, 1}, 2);
  });
}
