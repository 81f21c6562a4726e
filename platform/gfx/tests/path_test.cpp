#include "platform/gfx/path.h"

#include <gtest/gtest.h>

namespace {

using platform::gfx::Path;
using platform::gfx::Point;

void expect_point(Point actual, Point expected, const char* what) {
  EXPECT_NEAR(actual.x, expected.x, 1e-9) << what;
  EXPECT_NEAR(actual.y, expected.y, 1e-9) << what;
}

TEST(PathTest, RoundedRectangleStartsAtTopMiddleAndTurnsThroughTheCornersInOrder) {
  const Path path = Path::rounded_rectangle({0, 0, 100, 40}, 6);
  const auto& segments = path.segments();
  ASSERT_EQ(segments.size(), 6u);
  EXPECT_EQ(segments[0].kind, Path::Kind::move);
  expect_point(segments[0].point, {50, 40}, "start");
  // top-left, bottom-left, bottom-right, top-right: where each arc begins and ends.
  const struct {
    Point centre, start, end;
  } corners[] = {
      {{6, 34}, {6, 40}, {0, 34}},
      {{6, 6}, {0, 6}, {6, 0}},
      {{94, 6}, {94, 0}, {100, 6}},
      {{94, 34}, {100, 34}, {94, 40}},
  };
  for (int i = 0; i < 4; ++i) {
    const auto& arc = segments[1 + i];
    ASSERT_EQ(arc.kind, Path::Kind::arc) << i;
    EXPECT_DOUBLE_EQ(arc.radius, 6) << i;
    expect_point(arc.centre, corners[i].centre, "centre");
    expect_point(Path::arc_start(arc), corners[i].start, "arc start");
    expect_point(Path::arc_end(arc), corners[i].end, "arc end");
    EXPECT_GT(arc.to, arc.from) << "turns counter-clockwise in y-up";
  }
  EXPECT_EQ(segments[5].kind, Path::Kind::close);
}

TEST(PathTest, OversizedRadiusIsClampedToHalfTheShorterSide) {
  const Path path = Path::rounded_rectangle({10, 20, 100, 40}, 500);
  ASSERT_EQ(path.segments().size(), 6u);
  for (int i = 1; i <= 4; ++i) EXPECT_DOUBLE_EQ(path.segments()[i].radius, 20);
  // The left corners share a centre: the short sides became half circles.
  expect_point(path.segments()[1].centre, {30, 40}, "top-left centre");
  expect_point(path.segments()[2].centre, {30, 40}, "bottom-left centre");
  for (int i = 1; i <= 4; ++i) EXPECT_DOUBLE_EQ(Path::rounded_rectangle({0, 0, 8, 8}, -3).segments()[i].radius, 0);
}

TEST(PathTest, RectanglesWithoutAreaGiveNoPath) {
  EXPECT_TRUE(Path::rounded_rectangle({0, 0, 0, 10}, 2).empty());
  EXPECT_TRUE(Path::rounded_rectangle({0, 0, 10, -1}, 2).empty());
}

}  // namespace
