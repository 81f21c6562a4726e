// Pictures drawn with a soft drop shadow under them.
#pragma once

#include "platform/gfx/canvas.h"
#include "platform/gfx/colour.h"
#include "platform/gfx/surface.h"

namespace platform::gfx {

// Radii beyond this cost time and blur the shadow away to nothing visible.
inline constexpr int kMaxShadowBlur = 64;

struct Shadow {
  double dx = 0;  // offset in the canvas's own coordinates (on a y-up canvas, dy < 0 is lower)
  double dy = 0;
  int blur = 0;   // radius in pixels, 0 for a hard-edged shadow; clamped to 0..kMaxShadowBlur
  Colour colour{0, 0, 0, 0.3};
};

// The picture's alpha mask, blurred, painted in the shadow's colour; its own size is the
// picture's grown by the blur radius on every side. nullopt when that exceeds kMaxSide.
std::optional<Surface> shadow_of(const Surface& picture, const Shadow& shadow);

// Draws `picture` at natural size with its corner at `origin` (top-left on a y-down canvas,
// bottom-left on a y-up one) over its shadow. False, with nothing drawn, when no shadow could be
// made.
bool draw_with_shadow(Canvas& canvas, const Surface& picture, Point origin, const Shadow& shadow);

}  // namespace platform::gfx
