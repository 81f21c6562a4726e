// Pictures drawn through a projective map: that the map puts the corners where asked, and that
// the drawing is a true perspective (not an affine stretch) that leaves the outside alone.
#include "platform/gfx/perspective.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace platform::gfx {
namespace {

constexpr Pixel kRed{255, 0, 0, 255};
constexpr Pixel kBlue{0, 0, 255, 255};
constexpr Pixel kYellow{255, 255, 0, 255};
constexpr Pixel kWhite{255, 255, 255, 255};
constexpr Pixel kGreen{0, 255, 0, 255};

Surface filled(int width, int height, Pixel colour) {
  auto surface = Surface::create(width, height);
  EXPECT_TRUE(surface);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) surface->set_pixel(x, y, colour);
  }
  return *surface;
}

// 40x20: red top-left, blue top-right, yellow bottom-left, white bottom-right.
Surface quarters() {
  Surface picture = filled(40, 20, kRed);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 40; ++x) {
      const bool right = x >= 20, bottom = y >= 10;
      picture.set_pixel(x, y, bottom ? (right ? kWhite : kYellow) : (right ? kBlue : kRed));
    }
  }
  return picture;
}

bool same_pixels(const Surface& a, const Surface& b) {
  if (a.width() != b.width() || a.height() != b.height()) return false;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      if (a.pixel(x, y) != b.pixel(x, y)) return false;
    }
  }
  return true;
}

bool near(Pixel actual, Pixel expected, int tolerance = 12) {
  return std::abs(actual.red - expected.red) <= tolerance && std::abs(actual.green - expected.green) <= tolerance &&
         std::abs(actual.blue - expected.blue) <= tolerance && std::abs(actual.alpha - expected.alpha) <= tolerance;
}

std::string describe(Pixel p) {
  return "(" + std::to_string(p.red) + "," + std::to_string(p.green) + "," + std::to_string(p.blue) + "," +
         std::to_string(p.alpha) + ")";
}

TEST(PerspectiveTest, TheRectangleItselfCopiesThePictureExactly) {
  const Surface picture = quarters();
  Surface target = filled(40, 20, kGreen);
  ASSERT_TRUE(draw_in_perspective(target, picture, {{0, 0}, {40, 0}, {40, 20}, {0, 20}}, Orientation::y_down));
  EXPECT_TRUE(same_pixels(target, picture));
}

TEST(PerspectiveTest, TheLeftHalfSqueezesThePictureAndLeavesTheRestAlone) {
  const Surface picture = quarters();
  Surface target = filled(40, 20, kGreen);
  ASSERT_TRUE(draw_in_perspective(target, picture, {{0, 0}, {20, 0}, {20, 20}, {0, 20}}, Orientation::y_down));
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 40; ++x) {
      const Pixel expected = x >= 20 ? kGreen : y < 10 ? (x < 10 ? kRed : kBlue) : (x < 10 ? kYellow : kWhite);
      ASSERT_EQ(target.pixel(x, y), expected) << x << "," << y;
    }
  }
}

// Farther than a pixel and a half outside one of the quad's edges, whichever way it turns.
bool clearly_outside(const Quad& quad, double x, double y) {
  const Point corners[4] = {quad.top_left, quad.top_right, quad.bottom_right, quad.bottom_left};
  const Point a0 = corners[0], b0 = corners[1], c0 = corners[2];
  const double turning = (b0.x - a0.x) * (c0.y - a0.y) - (b0.y - a0.y) * (c0.x - a0.x) > 0 ? 1 : -1;
  for (int i = 0; i < 4; ++i) {
    const Point a = corners[i], b = corners[(i + 1) % 4];
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    const double inward = turning * ((b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x)) / length;
    if (inward < -1.5) return true;
  }
  return false;
}

void expect_untouched_outside(const Surface& after, const Surface& before, const Quad& quad) {
  for (int y = 0; y < after.height(); ++y) {
    for (int x = 0; x < after.width(); ++x) {
      if (clearly_outside(quad, x + 0.5, y + 0.5)) {
        ASSERT_EQ(after.pixel(x, y), before.pixel(x, y)) << x << "," << y;
      }
    }
  }
}

// The right edge half as tall as the left: a card turned away. Projectively the picture's middle
// column lands where the quad's diagonals cross, 80/3 to the right of its left edge, not half way
// across (20) as an affine stretch would put it. The sides meet 80 to the right, where the map's
// horizon is; nothing beyond the quad may be drawn.
TEST(PerspectiveTest, ATrapezoidIsDrawnInTruePerspectiveOnlyInsideIt) {
  const Surface picture = quarters();
  Surface target = filled(140, 20, kGreen);
  const Surface before = target;
  const Quad quad{{10, 0}, {50, 5}, {50, 15}, {10, 20}};
  ASSERT_TRUE(draw_in_perspective(target, picture, quad, Orientation::y_down));

  struct Probe {
    int x, y;
    Pixel expected;
  } const probes[] = {
      {12, 4, kRed},     {34, 6, kRed},     {39, 6, kBlue},   {48, 7, kBlue},
      {12, 16, kYellow}, {34, 14, kYellow}, {39, 13, kWhite}, {48, 13, kWhite},
  };
  for (const Probe& probe : probes) {
    const Pixel actual = target.pixel(probe.x, probe.y);
    EXPECT_TRUE(near(actual, probe.expected)) << probe.x << "," << probe.y << " " << describe(actual);
  }
  expect_untouched_outside(target, before, quad);
}

// A card turned nearly edge on, its far edge a tenth of its near one, and one tilted so that its
// horizon passes close by: still drawn, and only inside.
TEST(PerspectiveTest, SteepQuadsStayInsideTheirEdges) {
  const Surface picture = quarters();
  const Quad quads[] = {
      {{10, 0}, {50, 9}, {50, 11}, {10, 20}},
      {{60, 2}, {20, 12}, {20, 14}, {60, 38}},
      {{5, 5}, {90, 2}, {70, 30}, {8, 36}},
  };
  for (const Quad& quad : quads) {
    Surface target = filled(100, 40, kGreen);
    const Surface before = target;
    ASSERT_TRUE(draw_in_perspective(target, picture, quad, Orientation::y_down));
    expect_untouched_outside(target, before, quad);
    const int middle_x = static_cast<int>((quad.top_left.x + quad.top_right.x + quad.bottom_right.x +
                                           quad.bottom_left.x) / 4);
    const int middle_y = static_cast<int>((quad.top_left.y + quad.top_right.y + quad.bottom_right.y +
                                           quad.bottom_left.y) / 4);
    EXPECT_NE(target.pixel(middle_x, middle_y), kGreen);
  }
}

TEST(PerspectiveTest, UpwardCoordinatesKeepThePictureUprightAndAlphaFadesIt) {
  const Surface picture = quarters();
  Surface target = filled(40, 20, kGreen);
  // y up: the picture's top edge is at y = 20.
  ASSERT_TRUE(draw_in_perspective(target, picture, {{0, 20}, {40, 20}, {40, 0}, {0, 0}}, Orientation::y_up, 0.5));
  EXPECT_TRUE(near(target.pixel(5, 2), {128, 128, 0, 255}, 2)) << describe(target.pixel(5, 2));     // red over green
  EXPECT_TRUE(near(target.pixel(35, 17), {128, 255, 128, 255}, 2)) << describe(target.pixel(35, 17));  // white
}

TEST(PerspectiveTest, DegenerateQuadsDrawNothing) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* name;
    Quad quad;
  } const cases[] = {
      {"three corners on a line", {{0, 0}, {10, 0}, {20, 0}, {0, 10}}},
      {"twisted", {{0, 0}, {20, 0}, {0, 20}, {20, 20}}},
      {"one dent", {{0, 0}, {20, 0}, {5, 5}, {0, 20}}},
      {"collapsed to a point", {{5, 5}, {5, 5}, {5, 5}, {5, 5}}},
      {"two corners the same", {{0, 0}, {20, 0}, {20, 0}, {0, 20}}},
      {"not a number", {{0, 0}, {nan, 0}, {20, 20}, {0, 20}}},
      {"infinite", {{0, 0}, {inf, 0}, {20, 20}, {0, 20}}},
      {"beyond pixman's range", {{0, 0}, {40000, 0}, {40000, 20}, {0, 20}}},
  };
  const Surface picture = quarters();
  for (const Case& c : cases) {
    Surface target = filled(40, 20, kGreen);
    const Surface before = target;
    EXPECT_FALSE(draw_in_perspective(target, picture, c.quad, Orientation::y_down)) << c.name;
    EXPECT_TRUE(same_pixels(target, before)) << c.name;
    if (std::string(c.name) != "beyond pixman's range") {
      EXPECT_FALSE(homography_to_quad(40, 20, c.quad)) << c.name;
    }
  }
  EXPECT_FALSE(homography_to_quad(0.5, 20, {{0, 0}, {40, 0}, {40, 20}, {0, 20}}));
}

TEST(PerspectiveTest, TheMapTakesCornersToCornersAndItsInverseTakesThemBack) {
  const Quad quad{{10, 3}, {90, 20}, {80, 70}, {-5, 60}};
  const auto map = homography_to_quad(200, 100, quad);
  ASSERT_TRUE(map);
  const Point rect[4] = {{0, 0}, {200, 0}, {200, 100}, {0, 100}};
  const Point corners[4] = {quad.top_left, quad.top_right, quad.bottom_right, quad.bottom_left};
  for (int i = 0; i < 4; ++i) {
    const auto landed = map->apply(rect[i]);
    ASSERT_TRUE(landed);
    EXPECT_NEAR(landed->x, corners[i].x, 1e-9);
    EXPECT_NEAR(landed->y, corners[i].y, 1e-9);
  }
  const auto back = map->inverse();
  ASSERT_TRUE(back);
  for (Point point : {Point{0, 0}, Point{37.5, 81}, Point{200, 100}, Point{150, 12}}) {
    const auto there = map->apply(point);
    ASSERT_TRUE(there);
    const auto again = back->apply(*there);
    ASSERT_TRUE(again);
    EXPECT_NEAR(again->x, point.x, 1e-9);
    EXPECT_NEAR(again->y, point.y, 1e-9);
  }

  const Homography singular{{1, 2, 3, 2, 4, 6, 0, 0, 1}};
  EXPECT_FALSE(singular.inverse());
  const Homography horizon{{1, 0, 0, 0, 1, 0, 1, 0, -5}};  // w = x - 5
  EXPECT_FALSE(horizon.apply({5, 1}));
}

}  // namespace
}  // namespace platform::gfx
