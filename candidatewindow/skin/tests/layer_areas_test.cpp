#include "candidatewindow/skin/layer_areas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>

#include "candidatewindow/skin/tests/y_up_layer.h"

namespace {

using Layer = kepskin::fixture::YUpLayer;
using kepskin::draw_area;
using kepskin::draw_horizontal_edge;
using platform::gfx::Canvas;
using platform::gfx::Orientation;
using platform::gfx::Pixel;
using platform::gfx::Rect;
using platform::gfx::Surface;

// Every column its own red (column * step), every row from the top its own green.
Surface gradient_piece(int width, int height, int red_step, int green_step) {
  auto piece = Surface::create(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      piece->set_pixel(x, y, {static_cast<std::uint8_t>(x * red_step), static_cast<std::uint8_t>(y * green_step),
                              255, 255});
    }
  }
  return *piece;
}

TEST(LayerAreasTest, TiledEdgeRepeatsWholeCopiesAndSqueezesTheLast) {
  const Surface piece = gradient_piece(30, 4, 8, 0);  // red 0 .. 232 across
  Layer layer(110, 4);
  {
    Canvas canvas(layer.surface, Orientation::y_up);
    draw_horizontal_edge(canvas, piece, {0, 0, 30, 4}, 100, kepskin::kLayoutTile);
  }
  for (int start : {0, 30, 60}) {
    EXPECT_EQ(layer.at(start, 1).red, 0) << start;
    EXPECT_EQ(layer.at(start + 15, 1).red, 120) << start;
    EXPECT_EQ(layer.at(start + 29, 1).red, 232) << start;
  }
  // The fourth copy holds all 30 columns in 10 pixels: its last pixel shows the piece's last
  // columns, where a cropped copy would show column 9 (red 72).
  EXPECT_LT(layer.at(90, 1).red, 40);
  EXPECT_NEAR(layer.at(95, 1).red, 132, 16);
  EXPECT_GT(layer.at(99, 1).red, 200);
  EXPECT_FALSE(layer.painted(100, 1));
}

TEST(LayerAreasTest, StretchedEdgeIsOneCopyAtItsPlace) {
  const Surface piece = gradient_piece(30, 4, 8, 0);
  Layer layer(120, 10);
  {
    Canvas canvas(layer.surface, Orientation::y_up);
    draw_horizontal_edge(canvas, piece, {5, 3, 30, 4}, 100, kepskin::kLayoutStretch);
  }
  EXPECT_FALSE(layer.painted(4, 4));
  EXPECT_LT(layer.at(5, 4).red, 10);
  EXPECT_NEAR(layer.at(55, 4).red, 120, 8);  // the middle column, not column 20 of a repeat
  EXPECT_GT(layer.at(104, 4).red, 224);
  EXPECT_FALSE(layer.painted(105, 4));
  EXPECT_TRUE(layer.painted(50, 3));
  EXPECT_TRUE(layer.painted(50, 6));
  EXPECT_FALSE(layer.painted(50, 2));
  EXPECT_FALSE(layer.painted(50, 7));
}

TEST(LayerAreasTest, EdgeDrawsNothingWithoutAPieceALengthOrAKnownMode) {
  const Surface piece = gradient_piece(30, 4, 8, 0);
  const struct {
    const char* name;
    std::optional<Surface> piece;
    Rect at;
    double length;
    int mode;
  } cases[] = {
      {"no piece", std::nullopt, {0, 0, 30, 4}, 100, 1},
      {"other mode", piece, {0, 0, 30, 4}, 100, 2},
      {"zero length", piece, {0, 0, 30, 4}, 0, 0},
      {"negative length", piece, {0, 0, 30, 4}, -20, 1},
      {"zero-width piece", piece, {0, 0, 0, 4}, 100, 1},
      {"zero-height piece", piece, {0, 0, 30, 0}, 100, 0},
      {"endless length", piece, {0, 0, 30, 4}, INFINITY, 1},
  };
  for (const auto& item : cases) {
    Layer layer(110, 4);
    {
      Canvas canvas(layer.surface, Orientation::y_up);
      draw_horizontal_edge(canvas, item.piece, item.at, item.length, item.mode);
    }
    for (int x = 0; x < 110; x += 3) ASSERT_FALSE(layer.painted(x, 1)) << item.name << " x " << x;
  }
}

// A 3 x 2 piece: red 0/120/240 by column, green 0 on its top row and 255 on its bottom row.
Surface small_piece() { return gradient_piece(3, 2, 120, 255); }

TEST(LayerAreasTest, GridStartsAtTheBottomLeftAndFillsTheRemainders) {
  Layer layer(10, 7);
  {
    Canvas canvas(layer.surface, Orientation::y_up);
    draw_area(canvas, small_piece(), {0, 0, 8, 5}, 1, 1);
  }
  for (int x : {0, 3}) {
    for (int y : {0, 2}) {
      EXPECT_EQ(layer.at(x, y), (Pixel{0, 255, 255, 255})) << x << "," << y;        // bottom-left of a copy
      EXPECT_EQ(layer.at(x + 2, y + 1), (Pixel{240, 0, 255, 255})) << x << "," << y;  // its top-right
    }
  }
  // Last column: two pixels holding all three columns; top row: one pixel holding both rows.
  EXPECT_LT(layer.at(6, 0).red, layer.at(7, 0).red);
  EXPECT_GT(layer.at(7, 0).red, 150);
  EXPECT_TRUE(layer.painted(0, 4));
  EXPECT_TRUE(layer.painted(7, 4));
  EXPECT_FALSE(layer.painted(8, 0));
  EXPECT_FALSE(layer.painted(0, 5));
}

TEST(LayerAreasTest, RowsAndColumnsByMode) {
  const struct {
    const char* name;
    int hmode, vmode;
    Rect area;
    int painted_width, painted_height;  // from the area's bottom-left
  } cases[] = {
      {"stretched once", 0, 0, {1, 1, 7, 5}, 7, 5},
      {"rows", 0, 1, {1, 1, 7, 5}, 7, 5},
      {"columns", 1, 0, {1, 1, 7, 5}, 7, 5},
      {"own height, once", 0, 2, {1, 1, 7, 5}, 7, 2},
      {"own height, columns", 1, 2, {1, 1, 7, 5}, 7, 2},
      {"sizes cut to whole pixels", 0, 0, {1, 1, 4.9, 2.9}, 4, 2},
      {"sizes below one become one", 1, 1, {1, 1, 0.2, -3}, 1, 1},
      {"unknown horizontal mode", 2, 0, {1, 1, 7, 5}, 0, 0},
      {"unknown vertical mode", 0, 50, {1, 1, 7, 5}, 0, 0},
  };
  for (const auto& item : cases) {
    Layer layer(10, 8);
    {
      Canvas canvas(layer.surface, Orientation::y_up);
      draw_area(canvas, small_piece(), item.area, item.hmode, item.vmode);
    }
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 10; ++x) {
        const bool inside = x >= 1 && x < 1 + item.painted_width && y >= 1 && y < 1 + item.painted_height;
        ASSERT_EQ(layer.painted(x, y), inside) << item.name << " at " << x << "," << y;
      }
    }
  }
}

TEST(LayerAreasTest, RowsRepeatUpwardsAndColumnsRightwards) {
  {
    Layer layer(4, 5);
    {
      Canvas canvas(layer.surface, Orientation::y_up);
      draw_area(canvas, small_piece(), {0, 0, 4, 5}, 0, 1);
    }
    // Whole rows at the piece's height from the bottom: bottom row of the piece first.
    for (int y = 0; y < 4; ++y) EXPECT_EQ(layer.at(1, y).green, y % 2 == 0 ? 255 : 0) << y;
  }
  {
    Layer layer(8, 3);
    {
      Canvas canvas(layer.surface, Orientation::y_up);
      draw_area(canvas, small_piece(), {0, 0, 8, 3}, 1, 0);
    }
    for (int x = 0; x < 6; ++x) EXPECT_EQ(layer.at(x, 1).red, (x % 3) * 120) << x;
  }
  {
    Layer layer(8, 6);
    {
      Canvas canvas(layer.surface, Orientation::y_up);
      draw_area(canvas, small_piece(), {0, 0, 8, 6}, 1, 2);
    }
    for (int x = 0; x < 6; ++x) {
      EXPECT_EQ(layer.at(x, 0), (Pixel{static_cast<std::uint8_t>((x % 3) * 120), 255, 255, 255})) << x;
      EXPECT_EQ(layer.at(x, 1).green, 0) << x;
    }
  }
}

TEST(LayerAreasTest, OnePixelPieceCoversALargeArea) {
  const Surface dot = gradient_piece(1, 1, 0, 0);
  Layer layer(4000, 3000);
  {
    Canvas canvas(layer.surface, Orientation::y_up);
    draw_area(canvas, dot, {0, 0, 4000, 3000}, 1, 1);
  }
  EXPECT_TRUE(layer.painted(0, 0));
  EXPECT_TRUE(layer.painted(3999, 2999));
  EXPECT_TRUE(layer.painted(1234, 2345));
}

}  // namespace
