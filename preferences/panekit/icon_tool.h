// The main of a build-time tool that draws a pane's toolbar icon: a square picture, drawn by
// the caller, written to the PNG file named by the only argument.
#pragma once

#include <cstdio>
#include <functional>
#include <system_error>

#include "platform/gfx/canvas.h"
#include "platform/gfx/surface.h"

namespace panekit {

inline constexpr int kIconSide = 32;

// 0 when written; 2 for a wrong call, 1 when the picture cannot be made or written.
inline int write_icon(int argc, char** argv,
                      const std::function<void(platform::gfx::Canvas&)>& draw) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT.png\n", argv[0]);
    return 2;
  }
  auto picture = platform::gfx::Surface::create(kIconSide, kIconSide);
  if (!picture) return 1;
  {
    platform::gfx::Canvas canvas(*picture);
    draw(canvas);
  }
  std::error_code error;
  if (!picture->write_png(argv[1], error)) {
    std::fprintf(stderr, "cannot write %s: %s\n", argv[1], error.message().c_str());
    return 1;
  }
  return 0;
}

}  // namespace panekit
