#include "candidatewindow/skin/page_arrows.h"

namespace kepskin {

namespace {

using platform::gfx::Colour;
using platform::gfx::Path;
using platform::gfx::Point;

// Height of an equilateral triangle of side 10.
constexpr double kArrowDepth = 8.660254037844387;
constexpr double kHalfSide = 5;
constexpr double kEnabledAlpha = 1.0;
constexpr double kDisabledAlpha = 0.3;

Path triangle(Point a, Point b, Point c) {
  Path path;
  path.move_to(a);
  path.line_to(b);
  path.line_to(c);
  path.close();
  return path;
}

Colour with_alpha(Colour colour, bool enabled) {
  colour.alpha = enabled ? kEnabledAlpha : kDisabledAlpha;
  return colour;
}

}  // namespace

void draw_page_arrows(platform::gfx::Canvas& canvas, Point at, double height, bool leftEnabled,
                      bool rightEnabled, Colour colour) {
  // The height arrives as a single-precision font height.
  const double middle = at.y + static_cast<float>(height) / 2;
  const double left_tip = at.x + 3;
  canvas.fill(triangle({left_tip, middle}, {left_tip + kArrowDepth, middle + kHalfSide},
                       {left_tip + kArrowDepth, middle - kHalfSide}),
              with_alpha(colour, leftEnabled));
  const double right_base = at.x + 15;
  canvas.fill(triangle({right_base, middle + kHalfSide}, {right_base, middle - kHalfSide},
                       {right_base + kArrowDepth, middle}),
              with_alpha(colour, rightEnabled));
}

void draw_separator(platform::gfx::Canvas& canvas, double y, double x0, double x1, Colour colour) {
  canvas.line({x0, y}, {x1, y}, colour, 1);
}

}  // namespace kepskin
