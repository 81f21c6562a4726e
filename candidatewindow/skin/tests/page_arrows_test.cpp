#include "candidatewindow/skin/page_arrows.h"

#include <gtest/gtest.h>

#include "candidatewindow/skin/tests/y_up_layer.h"

namespace {

using Layer = kepskin::fixture::YUpLayer;
using kepskin::draw_page_arrows;
using kepskin::draw_separator;
using platform::gfx::Canvas;
using platform::gfx::Colour;
using platform::gfx::Orientation;
using platform::gfx::Pixel;

TEST(PageArrowsTest, DisabledArrowIsFaintAndEnabledOneOpaque) {
  const struct {
    int page, total;
    bool left, right;
  } cases[] = {{1, 3, false, true}, {2, 3, true, true}, {3, 3, true, false}, {1, 1, false, false}};
  for (const auto& item : cases) {
    Layer layer(40, 30);
    {
      Canvas canvas(layer.surface, Orientation::y_up);
      // A half-transparent colour still gives opaque enabled arrows.
      draw_page_arrows(canvas, {0, 5}, 20, item.page != 1, item.page < item.total, Colour{1, 0, 0, 0.5});
    }
    // Middle line y = 5 + 20 / 2 = 15; pixels well inside each triangle.
    const Pixel left = layer.at(9, 15);
    const Pixel right = layer.at(18, 15);
    EXPECT_EQ(left.red, 255);
    EXPECT_EQ(right.red, 255);
    EXPECT_NEAR(left.alpha, item.left ? 255 : 77, 1) << item.page << "/" << item.total;
    EXPECT_NEAR(right.alpha, item.right ? 255 : 77, 1) << item.page << "/" << item.total;
  }
}

TEST(PageArrowsTest, TrianglesSitAtTheirVertices) {
  Layer layer(40, 30);
  {
    Canvas canvas(layer.surface, Orientation::y_up);
    draw_page_arrows(canvas, {10, 0}, 30, true, true, Colour{0, 0, 1, 1});
  }
  // m = 15. Left arrow: tip (13, 15), back edge x 21.66 from y 10 to 20. Right arrow: back edge
  // x 25 from y 10 to 20, tip (33.66, 15). Pixels are named by their lower-left corner.
  const struct {
    int x, y;
    int alpha;  // 255 fully covered, 0 untouched, -1 partly covered
  } cases[] = {
      {12, 15, 0},   {13, 15, -1}, {20, 18, 255}, {20, 11, 255}, {20, 20, 0},  {21, 19, -1},
      {22, 15, 0},   {24, 15, 0},  {25, 18, 255}, {25, 11, 255}, {25, 20, 0},  {25, 9, 0},
      {30, 15, 255}, {33, 15, -1}, {34, 15, 0},
  };
  for (const auto& item : cases) {
    const int alpha = layer.at(item.x, item.y).alpha;
    if (item.alpha < 0) {
      EXPECT_GT(alpha, 0) << item.x << "," << item.y;
      EXPECT_LT(alpha, 255) << item.x << "," << item.y;
    } else {
      EXPECT_EQ(alpha, item.alpha) << item.x << "," << item.y;
    }
  }
}

TEST(PageArrowsTest, SeparatorIsOnePixelRow) {
  Layer layer(60, 20);
  {
    Canvas canvas(layer.surface, Orientation::y_up);
    draw_separator(canvas, 10.5, 5, 50, Colour::from_rgb(0x0000ff));
  }
  for (int x = 5; x < 50; ++x) EXPECT_EQ(layer.at(x, 10), (Pixel{0, 0, 255, 255})) << x;
  EXPECT_EQ(layer.at(4, 10).alpha, 0);
  EXPECT_EQ(layer.at(50, 10).alpha, 0);
  for (int x = 0; x < 60; ++x) {
    EXPECT_EQ(layer.at(x, 9).alpha, 0) << x;
    EXPECT_EQ(layer.at(x, 11).alpha, 0) << x;
  }
}

}  // namespace
