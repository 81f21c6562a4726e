#include "platform/gfx/surface.h"

#include <gtest/gtest.h>

#include <cairo.h>

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

TEST(ColourTest, PackedFormsPutRedWhereTheySay) {
  EXPECT_EQ(Colour::from_bgr(0x0000FF), (Colour{1, 0, 0, 1}));
  EXPECT_EQ(Colour::from_rgb(0x0000FF), (Colour{0, 0, 1, 1}));
  EXPECT_EQ(Colour::from_rgb(0xFF0000, 0.5), (Colour{1, 0, 0, 0.5}));
}

}  // namespace
