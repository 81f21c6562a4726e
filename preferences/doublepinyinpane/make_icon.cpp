// Draws the pane's toolbar icon, which also marks the chosen scheme in its list, at build time:
// two keys side by side on a tile, for a syllable typed with two keys. Usage:
// kep-doublepinyin-icon OUT.png
#include "preferences/panekit/icon_tool.h"

int main(int argc, char** argv) {
  return panekit::write_icon(argc, argv, [](platform::gfx::Canvas& canvas) {
    constexpr int kSide = panekit::kIconSide;
    canvas.fill(platform::gfx::Rect{2, 2, kSide - 4, kSide - 4}, {0.20, 0.55, 0.35, 1});
    canvas.stroke(platform::gfx::Rect{2, 2, kSide - 4, kSide - 4}, {0.08, 0.30, 0.18, 1}, 1.5);
    for (double x : {6.0, 17.0}) {
      canvas.fill(platform::gfx::Rect{x, 10, 9, 12}, {1, 1, 1, 1});
      canvas.stroke(platform::gfx::Rect{x, 10, 9, 12}, {0.08, 0.30, 0.18, 1}, 1);
    }
  });
}
