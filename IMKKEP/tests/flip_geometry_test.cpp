// The card flip's arithmetic, checked against numbers worked out by hand for a face of half
// width 100 and half height 50 seen from 1600 points.
#include "IMKKEP/windows/FliprGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace imkkep {
namespace {

using platform::gfx::Point;

void expect_point(Point actual, Point expected, const char* which, double value, double direction) {
  EXPECT_NEAR(actual.x, expected.x, 1e-9) << which << " at " << value << " direction " << direction;
  EXPECT_NEAR(actual.y, expected.y, 1e-9) << which << " at " << value << " direction " << direction;
}

TEST(FlipGeometryTest, CornersFollowTheTurningFace) {
  // At a quarter turn both the x offset and the depth change of an edge are r = 100 cos 45°.
  const double r = 100 * std::sqrt(2.0) / 2;
  // The near edge of a quarter turn is at 1600 - r, the far one at 1600 + r.
  const double near_x = 1600 * r / (1600 - r), near_y = 1600 * 50 / (1600 - r);
  const double far_x = 1600 * r / (1600 + r), far_y = 1600 * 50 / (1600 + r);
  struct Case {
    double value, direction;
    Point top_left, top_right, bottom_right, bottom_left;
    bool final_face;
  } const cases[] = {
      {0, 1, {0, 100}, {200, 100}, {200, 0}, {0, 0}, false},
      {0, -1, {0, 100}, {200, 100}, {200, 0}, {0, 0}, false},
      // Forward, the right edge moves away and the left one comes nearer.
      {0.25, 1, {100 - near_x, 50 + near_y}, {100 + far_x, 50 + far_y}, {100 + far_x, 50 - far_y},
       {100 - near_x, 50 - near_y}, false},
      {0.25, -1, {100 - far_x, 50 + far_y}, {100 + near_x, 50 + near_y}, {100 + near_x, 50 - near_y},
       {100 - far_x, 50 - far_y}, false},
      // Edge on: both edges at the axis, the left one 1500 away, the right one 1700.
      {0.5, 1, {100, 50 + 1600.0 * 50 / 1500}, {100, 50 + 1600.0 * 50 / 1700}, {100, 50 - 1600.0 * 50 / 1700},
       {100, 50 - 1600.0 * 50 / 1500}, false},
      // Past half way the other face shows, its left edge where the old right edge went.
      {0.75, 1, {100 - far_x, 50 + far_y}, {100 + near_x, 50 + near_y}, {100 + near_x, 50 - near_y},
       {100 - far_x, 50 - far_y}, true},
      {1, 1, {0, 100}, {200, 100}, {200, 0}, {0, 0}, true},
      {1, -1, {0, 100}, {200, 100}, {200, 0}, {0, 0}, true},
  };
  for (const Case& c : cases) {
    const FlipFrame frame = flipFrame(c.value, c.direction, 100, 50);
    expect_point(frame.corners.top_left, c.top_left, "top left", c.value, c.direction);
    expect_point(frame.corners.top_right, c.top_right, "top right", c.value, c.direction);
    expect_point(frame.corners.bottom_right, c.bottom_right, "bottom right", c.value, c.direction);
    expect_point(frame.corners.bottom_left, c.bottom_left, "bottom left", c.value, c.direction);
    EXPECT_EQ(frame.shows_final_face, c.final_face) << c.value << " direction " << c.direction;
  }
}

TEST(FlipGeometryTest, TheFinalFaceShowsOnlyPastHalfWay) {
  EXPECT_FALSE(flipFrame(0.5, 1, 100, 50).shows_final_face);
  EXPECT_TRUE(flipFrame(std::nextafter(0.5, 1.0), 1, 100, 50).shows_final_face);
  EXPECT_FALSE(flipFrame(0.5, -1, 100, 50).shows_final_face);
}

// A face 4000 wide brings an edge to or behind the eye: the depth is held at 100, so the corners
// stay finite and the picture is never mirrored.
TEST(FlipGeometryTest, AFaceWiderThanTheEyeDistanceIsHeldInFront) {
  for (double direction : {1.0, -1.0}) {
    for (int step = 0; step <= 100; ++step) {
      const double value = step / 100.0;
      const FlipFrame frame = flipFrame(value, direction, 2000, 100);
      const auto& q = frame.corners;
      for (Point corner : {q.top_left, q.top_right, q.bottom_right, q.bottom_left}) {
        ASSERT_TRUE(std::isfinite(corner.x) && std::isfinite(corner.y)) << value << " " << direction;
      }
      EXPECT_LT(q.top_left.x, q.top_right.x) << value << " " << direction;
      EXPECT_LT(q.bottom_left.x, q.bottom_right.x) << value << " " << direction;
      EXPECT_GT(q.top_left.y, q.bottom_left.y) << value << " " << direction;
      EXPECT_GT(q.top_right.y, q.bottom_right.y) << value << " " << direction;
    }
  }
  // At 0.4 forward the left edge would be 1600 - 2000 sin 72° = -302 deep; it is taken as 100.
  const double x = 2000 * std::cos(0.4 * std::numbers::pi);
  const FlipFrame frame = flipFrame(0.4, 1, 2000, 100);
  EXPECT_NEAR(frame.corners.top_left.x, 2000 - 1600 * x / 100, 1e-6);
  EXPECT_NEAR(frame.corners.top_left.y, 100 + 1600.0 * 100 / 100, 1e-6);
}

TEST(FlipGeometryTest, AFlipLastsItsTimeOrAtLeastTheLeadAndFiveFrames) {
  struct Case {
    double total, frame_time, duration, start;
  } const cases[] = {
      {0.65, 0.03, 0.65, 0.06 / 0.65},
      {0.1, 0.03, 0.06 + 0.15, 0.06 / 0.21},
      {0.5, 0, 0.5, 0.03 / 0.5},
      {0.01, 0, 0.03, 1},
      // A frame time that is no time counts as none.
      {0.5, -1, 0.5, 0.03 / 0.5},
      {0.5, std::nan(""), 0.5, 0.03 / 0.5},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(flipTotalDuration(c.total, c.frame_time), c.duration) << c.total << " " << c.frame_time;
    EXPECT_DOUBLE_EQ(flipStartProgress(c.total, c.frame_time), c.start) << c.total << " " << c.frame_time;
  }
}

}  // namespace
}  // namespace imkkep
