#include "platform/gfx/shadow.h"

#include <gtest/gtest.h>

namespace {

using platform::gfx::Canvas;
using platform::gfx::Orientation;
using platform::gfx::Pixel;
using platform::gfx::Shadow;
using platform::gfx::Surface;

constexpr Pixel kRed{255, 0, 0, 255};

Surface red_square(int side) {
  auto square = Surface::create(side, side);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) square->set_pixel(x, y, kRed);
  }
  return *square;
}

// A 10x10 red square at (10, 10) on a transparent 40x40 canvas, shadow offset (5, 5).
Surface drawn(int blur) {
  auto canvas_surface = Surface::create(40, 40);
  Canvas canvas(*canvas_surface);
  EXPECT_TRUE(platform::gfx::draw_with_shadow(canvas, red_square(10), {10, 10}, {5, 5, blur, {0, 0, 0, 0.3}}));
  return *canvas_surface;
}

TEST(ShadowTest, HardShadowIsTheOffsetMaskInTheShadowColour) {
  const Surface result = drawn(0);
  EXPECT_EQ(result.pixel(15, 15), kRed);
  EXPECT_EQ(result.pixel(19, 19), kRed) << "source covers the shadow";
  const Pixel shade = result.pixel(22, 22);
  EXPECT_EQ(shade, (Pixel{0, 0, 0, 77}));  // black at 0.3 alpha
  EXPECT_EQ(result.pixel(25, 25).alpha, 0) << "no blur: hard edge";
  EXPECT_EQ(result.pixel(12, 22).alpha, 0) << "left of the offset shadow";
}

TEST(ShadowTest, BlurSpreadsAPartlyTransparentShadowBeyondTheEdge) {
  const Surface result = drawn(4);
  EXPECT_EQ(result.pixel(15, 15), kRed);
  const Pixel core = result.pixel(22, 22);
  const Pixel fringe = result.pixel(26, 22);
  EXPECT_EQ(core.red, 0);
  EXPECT_GT(core.alpha, 0);
  EXPECT_LT(core.alpha, 255);
  EXPECT_GT(fringe.alpha, 0) << "blur reaches past the hard edge";
  EXPECT_LT(fringe.alpha, core.alpha);
  EXPECT_EQ(result.pixel(36, 36).alpha, 0) << "beyond the blur radius";
}

TEST(ShadowTest, ShadowDarkensWhatIsBelow) {
  auto surface = Surface::create(40, 40);
  {
    Canvas canvas(*surface, Orientation::y_up);
    canvas.clear({1, 1, 1, 1});
    // y-up: the shadow goes down-right with dy < 0.
    ASSERT_TRUE(platform::gfx::draw_with_shadow(canvas, red_square(10), {10, 20}, {5, -5, 2, {0, 0, 0, 0.3}}));
  }
  // The square covers screen rows 10..19; its shadow rows 15..24, columns 15..24.
  EXPECT_EQ(surface->pixel(12, 12), kRed);
  const Pixel shaded = surface->pixel(22, 22);
  EXPECT_LT(shaded.red, 230);
  EXPECT_GT(shaded.red, 150);
  EXPECT_EQ(shaded.red, shaded.blue);
  EXPECT_EQ(surface->pixel(22, 5), (Pixel{255, 255, 255, 255})) << "above the square: untouched";
}

TEST(ShadowTest, ShadowsLargerThanTheLimitAreRefused) {
  const auto wide = Surface::create(platform::gfx::kMaxSide, 1);
  EXPECT_FALSE(platform::gfx::shadow_of(*wide, {0, 0, 1, {0, 0, 0, 0.3}}));
  EXPECT_TRUE(platform::gfx::shadow_of(*wide, {0, 0, 0, {0, 0, 0, 0.3}}));
}

}  // namespace
