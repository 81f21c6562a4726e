#include "platform/gfx/image.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <vector>

#include <jpeglib.h>

#include "platform/tests/test_support.h"

namespace {

using platform::gfx::IntRect;
using platform::gfx::Pixel;
using platform::gfx::Surface;

// A width x height picture whose pixel (x, y) is (10x, 20y, 7, alpha).
Surface gradient(int width, int height, std::uint8_t alpha = 255) {
  auto surface = Surface::create(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      surface->set_pixel(x, y, {static_cast<std::uint8_t>(10 * x), static_cast<std::uint8_t>(20 * y), 7, alpha});
    }
  }
  return *surface;
}

// Noisy pictures have most of their bytes in the scan data, where a cut is hardest to notice.
std::string encode_jpeg(int width, int height, Pixel colour, bool noisy = false) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row;
  while (info.next_scanline < info.image_height) {
    row.clear();
    for (int x = 0; x < width; ++x) {
      const auto noise = static_cast<std::uint8_t>(noisy ? (x * 37 + info.next_scanline * 91) * 2654435761u >> 24 : 0);
      row.insert(row.end(), {static_cast<JSAMPLE>(colour.red ^ noise), static_cast<JSAMPLE>(colour.green ^ noise),
                             static_cast<JSAMPLE>(colour.blue ^ noise)});
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::string bytes(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  return bytes;
}

void expect_near(Pixel actual, Pixel expected, int tolerance) {
  EXPECT_NEAR(actual.red, expected.red, tolerance);
  EXPECT_NEAR(actual.green, expected.green, tolerance);
  EXPECT_NEAR(actual.blue, expected.blue, tolerance);
  EXPECT_EQ(actual.alpha, expected.alpha);
}

TEST(ImageTest, PngRoundTripsPixelsIncludingAlpha) {
  const Surface original = gradient(6, 4, 200);
  std::string error;
  auto decoded = platform::gfx::decode_image(*original.png_bytes(), &error);
  ASSERT_TRUE(decoded) << error;
  ASSERT_EQ(decoded->width(), 6);
  ASSERT_EQ(decoded->height(), 4);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) expect_near(decoded->pixel(x, y), original.pixel(x, y), 1);
  }
}

TEST(ImageTest, JpegDecodesToOpaquePixels) {
  std::string error;
  auto decoded = platform::gfx::decode_image(encode_jpeg(9, 5, {200, 40, 90, 255}), &error);
  ASSERT_TRUE(decoded) << error;
  EXPECT_EQ(decoded->width(), 9);
  EXPECT_EQ(decoded->height(), 5);
  expect_near(decoded->pixel(8, 4), {200, 40, 90, 255}, 4);
}

TEST(ImageTest, OversizedHeadersAreRefusedBeforeDecoding) {
  // Only the signature and an IHDR chunk claiming 5000x10: no pixel data exists to decode, so the
  // refusal must come from the size check.
  std::string png("\x89PNG\r\n\x1A\n", 8);
  png += std::string("\0\0\0\x0D", 4) + "IHDR" + std::string("\0\0\x13\x88\0\0\0\x0A\x08\x06\0\0\0", 13);
  png += std::string(4, '\0');  // CRC
  std::string error;
  EXPECT_FALSE(platform::gfx::decode_image(png, &error));
  EXPECT_NE(error.find("5000x10"), std::string::npos) << error;

  error.clear();
  EXPECT_FALSE(platform::gfx::decode_image(encode_jpeg(platform::gfx::kMaxSide + 1, 1, {1, 2, 3, 255}), &error));
  EXPECT_NE(error.find("4097x1"), std::string::npos) << error;
}

TEST(ImageTest, DamagedAndForeignBytesAreErrors) {
  const std::string png = *gradient(20, 20).png_bytes();
  const std::string jpeg = encode_jpeg(64, 64, {9, 9, 9, 255}, true);
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"text", "hello, not a picture"},
      {"png signature only", png.substr(0, 8)},
      {"png cut after header", png.substr(0, 40)},
      {"png cut in the data", png.substr(0, png.size() / 2)},
      {"jpeg cut after the start", jpeg.substr(0, 4)},
      {"jpeg cut in the data", jpeg.substr(0, jpeg.size() * 3 / 4)},
  };
  for (const auto& item : cases) {
    std::string error;
    EXPECT_FALSE(platform::gfx::decode_image(item.bytes, &error)) << item.name;
    EXPECT_FALSE(error.empty()) << item.name;
  }
}

TEST(ImageTest, LoadImageReadsFilesAndReportsMissingOnes) {
  platform::testing_support::TempDir dir;
  std::error_code io;
  ASSERT_TRUE(gradient(3, 2).write_png(dir.path() / "a.png", io));
  std::string error;
  auto loaded = platform::gfx::load_image(dir.path() / "a.png", &error);
  ASSERT_TRUE(loaded) << error;
  EXPECT_EQ(loaded->pixel(2, 1), (Pixel{20, 20, 7, 255}));
  EXPECT_FALSE(platform::gfx::load_image(dir.path() / "missing.png", &error));
  EXPECT_NE(error.find("missing.png"), std::string::npos);
}

TEST(ImageTest, RectanglesAreClampedOnEverySide) {
  const Surface picture = gradient(10, 8);
  const struct {
    IntRect in;
    IntRect out;
  } cases[] = {
      {{2, 3, 4, 2}, {2, 3, 4, 2}},        // inside
      {{-3, 1, 5, 2}, {0, 1, 2, 2}},       // negative x
      {{1, -5, 2, 7}, {1, 0, 2, 2}},       // negative y
      {{7, 6, 50, 50}, {7, 6, 3, 2}},      // past the right and bottom edges
      {{-1, -1, 12, 10}, {0, 0, 10, 8}},   // larger on every side
      {{10, 0, 3, 3}, {}},                 // just right of the picture
      {{0, -4, 3, 4}, {}},                 // just above
      {{2, 2, 0, 3}, {}},                  // empty
      {{2, 2, -3, 3}, {}},                 // negative width
      {{2147483000, 0, 2000, 1}, {}},      // x + width overflows int
  };
  for (const auto& item : cases) {
    EXPECT_EQ(platform::gfx::clamp_to(picture, item.in), item.out)
        << item.in.x << "," << item.in.y << " " << item.in.width << "x" << item.in.height;
  }
}

TEST(ImageTest, SubImageCopiesTheClampedPart) {
  const Surface picture = gradient(10, 8);
  auto part = platform::gfx::sub_image(picture, {-2, 5, 5, 10});
  ASSERT_TRUE(part);
  ASSERT_EQ(part->width(), 3);
  ASSERT_EQ(part->height(), 3);
  EXPECT_EQ(part->pixel(0, 0), picture.pixel(0, 5));
  EXPECT_EQ(part->pixel(2, 2), picture.pixel(2, 7));
  EXPECT_FALSE(platform::gfx::sub_image(picture, {20, 0, 5, 5}));
}

TEST(ImageTest, MaskColourClearsOnlyOpaquePixelsOfTheKey) {
  auto picture = Surface::create(4, 1);
  picture->set_pixel(0, 0, {255, 0, 255, 255});  // the key: cleared
  picture->set_pixel(1, 0, {255, 0, 254, 255});  // one off: kept
  picture->set_pixel(2, 0, {255, 0, 255, 128});  // key colour, not opaque: kept
  picture->set_pixel(3, 0, {0, 0, 0, 255});
  platform::gfx::mask_colour(*picture, 255, 0, 255);
  EXPECT_EQ(picture->pixel(0, 0).alpha, 0);
  EXPECT_EQ(picture->pixel(1, 0), (Pixel{255, 0, 254, 255}));
  EXPECT_EQ(picture->pixel(2, 0), (Pixel{255, 0, 255, 128}));
  EXPECT_EQ(picture->pixel(3, 0), (Pixel{0, 0, 0, 255}));
}

}  // namespace
