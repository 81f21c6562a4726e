#include "IMKKEP/windows/FliprGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace imkkep {
namespace {

// The time before the first frame: a fixed allowance plus what the first frame took.
constexpr double kFlipLeadTime = 0.03;
// However short the flip asked for, it shows at least this many frames after the lead.
constexpr double kFlipMinimumFrames = 5;

struct Edge {
  double x;
  double depth;
};

// A vertical edge of the face at `x` from the axis and `depth` from the eye, seen on the picture
// plane: its top and bottom corners, y up.
platform::gfx::Point top_of(Edge edge, double half_width, double half_height) {
  return {half_width + kFlipEyeDistance * edge.x / edge.depth,
          half_height + kFlipEyeDistance * half_height / edge.depth};
}

platform::gfx::Point bottom_of(Edge edge, double half_width, double half_height) {
  return {half_width + kFlipEyeDistance * edge.x / edge.depth,
          half_height - kFlipEyeDistance * half_height / edge.depth};
}

// A measured frame time that is not a time counts as none.
double usable_frame_time(double frame_time) {
  return std::isfinite(frame_time) && frame_time > 0 ? frame_time : 0;
}

}  // namespace

FlipFrame flipFrame(double value, double direction, double half_width, double half_height) {
  const double angle = direction * std::numbers::pi * value;
  const double x = std::cos(angle) * half_width;
  const double z = std::sin(angle) * half_width;
  Edge right{x, std::max(kFlipEyeDistance + z, kFlipMinimumDepth)};
  Edge left{-x, std::max(kFlipEyeDistance - z, kFlipMinimumDepth)};
  FlipFrame frame;
  frame.shows_final_face = value > 0.5;
  if (frame.shows_final_face) std::swap(left, right);
  frame.corners.top_left = top_of(left, half_width, half_height);
  frame.corners.top_right = top_of(right, half_width, half_height);
  frame.corners.bottom_right = bottom_of(right, half_width, half_height);
  frame.corners.bottom_left = bottom_of(left, half_width, half_height);
  return frame;
}

double flipTotalDuration(double total, double frame_time) {
  const double frame = usable_frame_time(frame_time);
  const double start = kFlipLeadTime + frame;
  return std::max(total, start + kFlipMinimumFrames * frame);
}

double flipStartProgress(double total, double frame_time) {
  return (kFlipLeadTime + usable_frame_time(frame_time)) / flipTotalDuration(total, frame_time);
}

}  // namespace imkkep
