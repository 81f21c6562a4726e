// The arithmetic of the about window's card flip: where the turning face's corners land in a
// frame, and how long a flip lasts. Kept apart from the drawing so it can be checked by hand.
#pragma once

#include "platform/gfx/perspective.h"

namespace imkkep {

// The eye's distance from the face, in points.
inline constexpr double kFlipEyeDistance = 1600;
// Depths nearer the eye than this are taken as this: a face wider than twice the eye distance
// would otherwise put an edge at or behind the eye (a division by zero, or a mirrored picture).
inline constexpr double kFlipMinimumDepth = kFlipEyeDistance / 16;

struct FlipFrame {
  // The corners in the picture's own points relative to the turning rectangle's origin, y up
  // (top right is (2w, 2h) at the start).
  platform::gfx::Quad corners;
  // Past half way the final face is shown (its edges swapped, so it is not mirrored).
  bool shows_final_face = false;
};

// The frame at eased value `value` (0..1) of a flip in `direction` (1 forward, -1 back) of a
// face whose half width and half height are `half_width` and `half_height`:
//   angle = direction * pi * value; x = cos(angle) * w; z = sin(angle) * w;
//   right edge: x, depth 1600 + z; left edge: -x, depth 1600 - z; past 0.5 the edges swap;
//   each corner: (w + 1600 * edge x / depth, h +- 1600 * h / depth).
FlipFrame flipFrame(double value, double direction, double half_width, double half_height);

// The duration of a flip whose first frame took `frame_time` seconds: it starts at
// t0 = 0.03 + frame_time into `total`, and lasts at least t0 + 5 frames.
double flipTotalDuration(double total, double frame_time);
// The progress the animation starts at: t0 / the duration above.
double flipStartProgress(double total, double frame_time);

}  // namespace imkkep
