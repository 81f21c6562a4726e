// The page arrows beside the candidates and the separator line under the title, on a y-up canvas.
#pragma once

#include "platform/gfx/canvas.h"
#include "platform/gfx/colour.h"
#include "platform/gfx/path.h"

namespace kepskin {

// Two filled equilateral triangles of side 10 centred on y + height / 2: one pointing left from
// x + 3, one pointing right from x + 15. An enabled arrow is drawn opaque, a disabled one at
// alpha 0.3, whatever the colour's own alpha.
void draw_page_arrows(platform::gfx::Canvas& canvas, platform::gfx::Point at, double height, bool leftEnabled,
                      bool rightEnabled, platform::gfx::Colour colour);

// A line one pixel wide at `y` from x0 to x1; a y of n + 0.5 covers exactly one pixel row.
void draw_separator(platform::gfx::Canvas& canvas, double y, double x0, double x1, platform::gfx::Colour colour);

}  // namespace kepskin
