// Laying a skin piece over an edge or area of the layer, stretched or repeated, on a y-up canvas.
// Whole copies are one repeating pattern, so a one-pixel piece over a wide window costs the same
// few draw calls as a large one.
#pragma once

#include <optional>

#include "platform/gfx/canvas.h"
#include "platform/gfx/image.h"
#include "platform/gfx/surface.h"

namespace kepskin {

// Layout modes along one direction.
inline constexpr int kLayoutStretch = 0;
inline constexpr int kLayoutTile = 1;
inline constexpr int kLayoutOwnHeight = 2;  // vertical only

// A top or bottom edge: `at` is the piece's place in the layer, its size the piece's own size.
// Stretch draws the piece once across `length`; tile repeats it at its own width from `at.x` and
// squeezes the last copy into what is left (scaled, not cropped). Other modes, no piece, a side
// of `at` or a length not above zero: nothing.
void draw_horizontal_edge(platform::gfx::Canvas& canvas, const std::optional<platform::gfx::Surface>& piece,
                          const platform::gfx::Rect& at, double length, int mode);

// A side edge or the centre. The area's size is cut to whole pixels, at least 1 each way; the
// piece's own size is its picture's. By (horizontal, vertical) mode:
//   0/0 once stretched;  0/1 rows of its own height from the bottom up, each as wide as the area;
//   1/0 columns of its own width from the left, each as high as the area;  1/1 a grid of copies
//   from the bottom-left;  0/2 once, area width by its own height;  1/2 columns of its own size.
// The last row and column are squeezed into the remainder. Other pairs draw nothing.
void draw_area(platform::gfx::Canvas& canvas, const std::optional<platform::gfx::Surface>& piece,
               const platform::gfx::Rect& area, int hmode, int vmode);

}  // namespace kepskin
