#include "platform/gfx/shadow.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

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

// The shadow by its definition, one line at a time: three box blurs of half-width radius / 3
// along every row, then every column, each a running sum of the values in reach (transparent
// outside), then coverage times the shadow's alpha, premultiplied and rounded half up.
std::vector<std::uint32_t> shadow_by_definition(const Surface& picture, const Shadow& shadow) {
  const int radius = std::clamp(shadow.blur, 0, platform::gfx::kMaxShadowBlur);
  const std::size_t width = picture.width() + 2 * radius;
  const std::size_t height = picture.height() + 2 * radius;
  std::vector<float> alpha(width * height, 0);
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      alpha[(y + radius) * width + x + radius] = picture.pixel(x, y).alpha / 255.0f;
    }
  }
  auto line = [&](std::size_t first, std::size_t count, std::size_t step, int half) {
    std::vector<float> out(count);
    auto at = [&](std::ptrdiff_t i) -> double {
      return i < 0 || i >= static_cast<std::ptrdiff_t>(count) ? 0.0 : alpha[first + i * step];
    };
    double sum = 0;
    for (std::ptrdiff_t i = -half; i <= half; ++i) sum += at(i);
    for (std::size_t i = 0; i < count; ++i) {
      out[i] = static_cast<float>(sum / (2.0 * half + 1));
      const auto index = static_cast<std::ptrdiff_t>(i);
      sum += at(index + half + 1) - at(index - half);
    }
    for (std::size_t i = 0; i < count; ++i) alpha[first + i * step] = out[i];
  };
  if (radius > 0) {
    const int half = std::max(1, radius / 3);
    for (int pass = 0; pass < 3; ++pass) {
      for (std::size_t y = 0; y < height; ++y) line(y * width, width, 1, half);
      for (std::size_t x = 0; x < width; ++x) line(x, height, width, half);
    }
  }
  std::vector<std::uint32_t> words;
  for (float coverage : alpha) {
    const double a = std::clamp(static_cast<double>(coverage), 0.0, 1.0) * shadow.colour.alpha;
    auto premultiplied = [a](double c) { return static_cast<std::uint32_t>(std::lround(c * a * 255)); };
    words.push_back(static_cast<std::uint32_t>(std::lround(a * 255)) << 24 | premultiplied(shadow.colour.red) << 16 |
                    premultiplied(shadow.colour.green) << 8 | premultiplied(shadow.colour.blue));
  }
  return words;
}

TEST(ShadowTest, ShadowsAreExactlyTheirDefinition) {
  // A rounded, anti-aliased outline, a hole and a lone half-covered pixel, off-centre.
  auto picture = Surface::create(37, 23);
  cairo_t* cairo = cairo_create(picture->cairo());
  cairo_set_source_rgba(cairo, 0.2, 0.4, 0.6, 0.9);
  cairo_arc(cairo, 12.3, 11.7, 9.6, 0, 2 * M_PI);
  cairo_fill(cairo);
  cairo_set_operator(cairo, CAIRO_OPERATOR_CLEAR);
  cairo_rectangle(cairo, 9.5, 9.5, 4, 3);
  cairo_fill(cairo);
  cairo_destroy(cairo);
  picture->set_pixel(33, 4, {10, 10, 10, 128});

  const Shadow shadows[] = {
      {0, 0, 0, {0, 0, 0, 0.3}},   {6, -6, 4, {0, 0, 0, 0.3}},   {6, -6, 6, {0, 0, 0, 0.3}},
      {1, 1, 1, {0.5, 0.25, 1, 0.7}}, {0, 0, 9, {1, 1, 1, 1}}, {0, 0, 40, {0.1, 0.9, 0.3, 0.45}},
  };
  for (const Shadow& shadow : shadows) {
    const std::optional<Surface> made = platform::gfx::shadow_of(*picture, shadow);
    ASSERT_TRUE(made) << shadow.blur;
    const std::vector<std::uint32_t> expected = shadow_by_definition(*picture, shadow);
    ASSERT_EQ(static_cast<std::size_t>(made->width() * made->height()), expected.size()) << shadow.blur;
    cairo_surface_flush(made->cairo());
    const unsigned char* data = cairo_image_surface_get_data(made->cairo());
    const int stride = cairo_image_surface_get_stride(made->cairo());
    for (int y = 0; y < made->height(); ++y) {
      for (int x = 0; x < made->width(); ++x) {
        const std::uint32_t word = reinterpret_cast<const std::uint32_t*>(data + y * stride)[x];
        ASSERT_EQ(word, expected[static_cast<std::size_t>(y) * made->width() + x])
            << "blur " << shadow.blur << " at " << x << "," << y;
      }
    }
  }
}

TEST(ShadowTest, ShadowsLargerThanTheLimitAreRefused) {
  const auto wide = Surface::create(platform::gfx::kMaxSide, 1);
  EXPECT_FALSE(platform::gfx::shadow_of(*wide, {0, 0, 1, {0, 0, 0, 0.3}}));
  EXPECT_TRUE(platform::gfx::shadow_of(*wide, {0, 0, 0, {0, 0, 0, 0.3}}));
}

}  // namespace
