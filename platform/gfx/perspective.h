// Pictures drawn in perspective: the projective map that takes a picture's four corners to any
// four points, applied with pixman, so a card turning about its axis can be drawn frame by
// frame.
#pragma once

#include <array>
#include <optional>

#include "platform/gfx/canvas.h"
#include "platform/gfx/path.h"
#include "platform/gfx/surface.h"

namespace platform::gfx {

// Where a picture's corners land, in the target's pixels of the given orientation.
struct Quad {
  Point top_left;
  Point top_right;
  Point bottom_right;
  Point bottom_left;
};

// A 3x3 projective map, row-major: (x, y) -> ((m0 x + m1 y + m2) / w, (m3 x + m4 y + m5) / w)
// with w = m6 x + m7 y + m8.
struct Homography {
  std::array<double, 9> m{};
  // nullopt where w is zero or the result is not finite.
  std::optional<Point> apply(Point point) const;
  // nullopt for a singular map.
  std::optional<Homography> inverse() const;
};

// The map taking the four corners of the rectangle (0, 0, width, height) - top-left (0, 0),
// top-right (width, 0), bottom-right (width, height), bottom-left (0, height), y down - to
// `corners` (same order). nullopt when the corners are degenerate: three on one line, a twisted
// or collapsed quad, a coordinate not finite, or sides of the rectangle below 1.
std::optional<Homography> homography_to_quad(double width, double height, const Quad& corners);

// Draws `picture` over `target` (source-over) so that its corners land on `corners`, given in
// the target's pixels with y down or up as `orientation` says; `alpha` fades it. Pixels outside
// the quad are left as they were. False, drawing nothing, for a degenerate quad or one whose
// map cannot be represented for pixman (coordinates beyond +-32767 pixels).
bool draw_in_perspective(Surface& target, const Surface& picture, const Quad& corners,
                         Orientation orientation, double alpha = 1);

}  // namespace platform::gfx
