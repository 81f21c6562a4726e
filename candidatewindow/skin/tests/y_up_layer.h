// A transparent surface for drawing tests, read back with y counted upwards as it was drawn.
#pragma once

#include "platform/gfx/surface.h"

namespace kepskin::fixture {

struct YUpLayer {
  platform::gfx::Surface surface;
  YUpLayer(int width, int height) : surface(*platform::gfx::Surface::create(width, height)) {}
  platform::gfx::Pixel at(int x, int y_up) const { return surface.pixel(x, surface.height() - 1 - y_up); }
  bool painted(int x, int y_up) const { return at(x, y_up).alpha != 0; }
};

}  // namespace kepskin::fixture
