// Draws the pane's toolbar icon, which also marks the chosen scheme in its list, at build time:
// two keys side by side on a tile, for a syllable typed with two keys. Usage:
// kep-doublepinyin-icon OUT.png
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
    canvas.fill(platform::gfx::Rect{2, 2, kSide - 4, kSide - 4}, {0.20, 0.55, 0.35, 1});
    canvas.stroke(platform::gfx::Rect{2, 2, kSide - 4, kSide - 4}, {0.08, 0.30, 0.18, 1}, 1.5);
    for (double x : {6.0, 17.0}) {
      canvas.fill(platform::gfx::Rect{x, 10, 9, 12}, {1, 1, 1, 1});
      canvas.stroke(platform::gfx::Rect{x, 10, 9, 12}, {0.08, 0.30, 0.18, 1}, 1);
    }
  }
  std::error_code error;
  if (!picture->write_png(argv[1], error)) {
    std::fprintf(stderr, "cannot write %s: %s\n", argv[1], error.message().c_str());
    return 1;
  }
  return 0;
}
