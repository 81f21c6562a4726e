#include "platform/gfx/surface.h"

#include <gtest/gtest.h>

#include <cairo.h>
#include <png.h>

#include <cstring>
#include <vector>

#include "platform/gfx/colour.h"
#include "platform/tests/test_support.h"

namespace {

using platform::gfx::Colour;
using platform::gfx::Pixel;
using platform::gfx::Surface;

TEST(SurfaceTest, SizesOutsideTheLimitsAreRefused) {
  EXPECT_FALSE(Surface::create(0, 10));
  EXPECT_FALSE(Surface::create(10, -1));
  EXPECT_FALSE(Surface::create(platform::gfx::kMaxSide + 1, 1));
  auto surface = Surface::create(platform::gfx::kMaxSide, 1);
  ASSERT_TRUE(surface);
  EXPECT_EQ(surface->width(), platform::gfx::kMaxSide);
}

TEST(SurfaceTest, PixelsReadBackUnpremultipliedAndCopiesAreIndependent) {
  auto surface = Surface::create(4, 3);
  ASSERT_TRUE(surface);
  EXPECT_EQ(surface->pixel(0, 0), (Pixel{0, 0, 0, 0}));
  surface->set_pixel(1, 2, {255, 0, 0, 255});
  surface->set_pixel(2, 1, {0, 0, 255, 128});
  EXPECT_EQ(surface->pixel(1, 2), (Pixel{255, 0, 0, 255}));
  EXPECT_EQ(surface->pixel(2, 1), (Pixel{0, 0, 255, 128}));
  EXPECT_EQ(surface->pixel(4, 0), Pixel{});  // outside
  Surface copy = *surface;
  copy.set_pixel(1, 2, {0, 255, 0, 255});
  EXPECT_EQ(surface->pixel(1, 2), (Pixel{255, 0, 0, 255}));
  EXPECT_EQ(copy.pixel(1, 2), (Pixel{0, 255, 0, 255}));
}

TEST(SurfaceTest, PngIsWrittenAtomicallyAndReadsBack) {
  platform::testing_support::TempDir dir;
  auto surface = Surface::create(5, 2);
  ASSERT_TRUE(surface);
  surface->set_pixel(4, 1, {10, 20, 30, 255});
  std::error_code error;
  const auto path = dir.path() / "out.png";
  ASSERT_TRUE(surface->write_png(path, error)) << error.message();
  cairo_surface_t* read = cairo_image_surface_create_from_png(path.c_str());
  auto back = Surface::adopt(read);
  cairo_surface_destroy(read);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width(), 5);
  EXPECT_EQ(back->pixel(4, 1), (Pixel{10, 20, 30, 255}));
  EXPECT_FALSE(surface->write_png(dir.path() / "missing" / "out.png", error));
}

// Straight RGBA bytes of a PNG, read by libpng itself.
std::vector<std::uint8_t> rgba_of(const std::string& png, int& width, int& height) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return {};
  image.format = PNG_FORMAT_RGBA;
  std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  return pixels;
}

TEST(SurfaceTest, PngsOfEitherCompressionHoldTheSurfacesPixelsExactly) {
  // Every alpha, each with colours that round differently when un-premultiplied.
  auto surface = Surface::create(256, 3);
  ASSERT_TRUE(surface);
  for (int alpha = 0; alpha < 256; ++alpha) {
    const auto a = static_cast<std::uint8_t>(alpha);
    surface->set_pixel(alpha, 0, {255, 0, 128, a});
    surface->set_pixel(alpha, 1, {static_cast<std::uint8_t>(alpha), 7, 250, a});
    surface->set_pixel(alpha, 2, {1, 254, static_cast<std::uint8_t>(255 - alpha), a});
  }
  for (auto compression : {platform::gfx::PngCompression::Small, platform::gfx::PngCompression::Fast}) {
    const std::optional<std::string> png = surface->png_bytes(compression);
    ASSERT_TRUE(png);
    int width = 0;
    int height = 0;
    const std::vector<std::uint8_t> rgba = rgba_of(*png, width, height);
    ASSERT_EQ(width, 256);
    ASSERT_EQ(height, 3);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::uint8_t* at = rgba.data() + (static_cast<std::size_t>(y) * width + x) * 4;
        ASSERT_EQ((Pixel{at[0], at[1], at[2], at[3]}), surface->pixel(x, y))
            << "pixel " << x << "," << y << (compression == platform::gfx::PngCompression::Fast ? " fast" : " small");
      }
    }
  }
}

TEST(ColourTest, PackedFormsPutRedWhereTheySay) {
  EXPECT_EQ(Colour::from_bgr(0x0000FF), (Colour{1, 0, 0, 1}));
  EXPECT_EQ(Colour::from_rgb(0x0000FF), (Colour{0, 0, 1, 1}));
  EXPECT_EQ(Colour::from_rgb(0xFF0000, 0.5), (Colour{1, 0, 0, 0.5}));
}

}  // namespace
