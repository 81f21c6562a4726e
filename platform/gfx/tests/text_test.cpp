#include "platform/gfx/text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using platform::gfx::Canvas;
using platform::gfx::Font;
using platform::gfx::Orientation;
using platform::gfx::Surface;

const Font kLatin{"Arial", 16};
const Font kChinese{"Hei", 16};

TEST(TextTest, FamiliesResolveThroughAliasesOrFallBack) {
  EXPECT_EQ(platform::gfx::effective_family(kLatin), "DejaVu Sans");
  EXPECT_EQ(platform::gfx::effective_family({"No Such Family 42", 12}), platform::gfx::kFallbackFamily);
}

TEST(TextTest, MeasurementsGrowWithTextAndSize) {
  const auto one = platform::gfx::measure("a", kLatin);
  const auto three = platform::gfx::measure("aaa", kLatin);
  const auto large = platform::gfx::measure("aaa", {"Arial", 32});
  EXPECT_GT(one.width, 0);
  EXPECT_GT(three.width, 2 * one.width);
  EXPECT_GT(large.width, 1.5 * three.width);
  EXPECT_GT(large.height, 1.5 * three.height);
  EXPECT_GT(one.ascent, 0);
  EXPECT_GT(one.descent, 0);
  EXPECT_GE(one.height + 0.5, one.ascent + one.descent);
  EXPECT_EQ(platform::gfx::measure("", kLatin).width, 0);
}

TEST(TextTest, ChineseIsMeasuredWithACjkFont) {
  const auto metrics = platform::gfx::measure("中文输入", kChinese);
  // Four full-width ideographs: each is roughly as wide as the font is high.
  EXPECT_GT(metrics.width, 3 * 16);
  EXPECT_LT(metrics.width, 5 * 16);
}

TEST(TextTest, InvalidUtf8IsMeasuredNotRejected) {
  EXPECT_GT(platform::gfx::measure(std::string("ab\xFF\xFE" "cd"), kLatin).width,
            platform::gfx::measure("abcd", kLatin).width);
}

// Bounds of the pixels with any ink.
struct Ink {
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
};

Ink ink_of(const Surface& surface) {
  Ink ink;
  for (int y = 0; y < surface.height(); ++y) {
    for (int x = 0; x < surface.width(); ++x) {
      if (surface.pixel(x, y).alpha == 0) continue;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y);
    }
  }
  return ink;
}

TEST(TextTest, DrawnTextInksInsideTheMeasuredBoxInBothOrientations) {
  const std::string text = "Hg文字";
  const auto metrics = platform::gfx::measure(text, kChinese);
  for (const Orientation orientation : {Orientation::y_down, Orientation::y_up}) {
    auto surface = Surface::create(200, 80);
    {
      Canvas canvas(*surface, orientation);
      // Box top-left at screen pixel (20, 10) either way.
      const platform::gfx::Point top_left{20, orientation == Orientation::y_up ? 80.0 - 10 : 10};
      platform::gfx::draw_text(canvas, text, kChinese, top_left, {0, 0.5, 0, 1});
    }
    const Ink ink = ink_of(*surface);
    ASSERT_GE(ink.right, 0) << "nothing drawn";
    EXPECT_GE(ink.left, 20);
    EXPECT_GE(ink.top, 10);
    EXPECT_LE(ink.right, 20 + std::ceil(metrics.width));
    EXPECT_LE(ink.bottom, 10 + std::ceil(metrics.height));
    // Upright: the capital's top is above the baseline, the descender of g below it.
    EXPECT_LT(ink.top, 10 + metrics.ascent - 5);
    EXPECT_GT(ink.bottom, 10 + metrics.ascent);
    // Some fully inked pixel has the requested colour.
    bool coloured = false;
    for (int y = ink.top; y <= ink.bottom; ++y) {
      for (int x = ink.left; x <= ink.right; ++x) {
        const auto pixel = surface->pixel(x, y);
        coloured = coloured || (pixel.alpha == 255 && pixel.green > 120 && pixel.red < 10 && pixel.blue < 10);
      }
    }
    EXPECT_TRUE(coloured);
  }
}

}  // namespace
