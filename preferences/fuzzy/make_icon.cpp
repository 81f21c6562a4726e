// Draws the pane's toolbar icon at build time: two wavy lines on a rounded tile, for two sounds
// heard alike. Usage: kep-fuzzy-icon OUT.png
#include <cstdio>
#include <system_error>

#include "platform/gfx/canvas.h"
#include "platform/gfx/path.h"
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
    canvas.fill(platform::gfx::Rect{2, 2, kSide - 4, kSide - 4}, {0.22, 0.45, 0.80, 1});
    canvas.stroke(platform::gfx::Rect{2, 2, kSide - 4, kSide - 4}, {0.10, 0.25, 0.55, 1}, 1.5);
    for (double y : {12.0, 21.0}) {
      double x = 7;
      for (int step = 0; step < 6; ++step) {
        const double next = x + 3;
        const double rise = step % 2 == 0 ? -2.5 : 2.5;
        canvas.line({x, y}, {next, y + rise}, {1, 1, 1, 1}, 2);
        x = next;
        y += rise;
      }
    }
  }
  std::error_code error;
  if (!picture->write_png(argv[1], error)) {
    std::fprintf(stderr, "cannot write %s: %s\n", argv[1], error.message().c_str());
    return 1;
  }
  return 0;
}
