// Draws the pane's toolbar icon at build time: two linked rings on a rounded tile, for a table
// plugged into the input method. Usage: kep-codetable-icon OUT.png
#include <cstdio>
#include <system_error>

#include "platform/gfx/canvas.h"
#include "platform/gfx/surface.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT.png\n", argv[0]);
    return 2;
  }
  constexpr int kSide = 32;
  auto picture = platform::gfx::Surface::create(kSide, kSide);
  if (!picture) return 1;
  {
    platform::gfx::Canvas canvas(*picture);
    canvas.fill(platform::gfx::Rect{2, 2, kSide - 4, kSide - 4}, {0.30, 0.60, 0.35, 1});
    canvas.stroke(platform::gfx::Rect{2, 2, kSide - 4, kSide - 4}, {0.15, 0.35, 0.20, 1}, 1.5);
    canvas.stroke(platform::gfx::Rect{7, 11, 11, 10}, {1, 1, 1, 1}, 2);
    canvas.stroke(platform::gfx::Rect{14, 11, 11, 10}, {1, 1, 1, 1}, 2);
  }
  std::error_code error;
  if (!picture->write_png(argv[1], error)) {
    std::fprintf(stderr, "cannot write %s: %s\n", argv[1], error.message().c_str());
    return 1;
  }
  return 0;
}
