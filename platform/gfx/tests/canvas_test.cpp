#include "platform/gfx/canvas.h"

#include <gtest/gtest.h>

namespace {

using platform::gfx::Canvas;
using platform::gfx::Colour;
using platform::gfx::Orientation;
using platform::gfx::Path;
using platform::gfx::Pixel;
using platform::gfx::Surface;

constexpr Pixel kRed{255, 0, 0, 255};
constexpr Pixel kBlue{0, 0, 255, 255};
constexpr Pixel kNone{0, 0, 0, 0};
const Colour kRedColour{1, 0, 0, 1};

// A two-row picture: red on top, blue below.
Surface red_over_blue(int width) {
  auto picture = Surface::create(width, 2);
  for (int x = 0; x < width; ++x) {
    picture->set_pixel(x, 0, kRed);
    picture->set_pixel(x, 1, kBlue);
  }
  return *picture;
}

TEST(CanvasTest, RectanglesLandWhereEachOrientationSays) {
  auto surface = Surface::create(10, 10);
  {
    Canvas canvas(*surface, Orientation::y_up);
    canvas.fill(platform::gfx::Rect{0, 0, 3, 2}, kRedColour);  // bottom-left corner
  }
  EXPECT_EQ(surface->pixel(0, 9), kRed);
  EXPECT_EQ(surface->pixel(2, 8), kRed);
  EXPECT_EQ(surface->pixel(0, 7), kNone);
  EXPECT_EQ(surface->pixel(0, 0), kNone);
  {
    Canvas canvas(*surface);
    canvas.clear();
    canvas.fill(platform::gfx::Rect{0, 0, 3, 2}, kRedColour);  // top-left corner
  }
  EXPECT_EQ(surface->pixel(2, 1), kRed);
  EXPECT_EQ(surface->pixel(0, 9), kNone);
}

TEST(CanvasTest, PicturesStayUprightInBothOrientations) {
  for (const Orientation orientation : {Orientation::y_down, Orientation::y_up}) {
    auto surface = Surface::create(8, 8);
    {
      Canvas canvas(*surface, orientation);
      // Scaled from 1x2 to 4x4 into the middle of the canvas (the same rect in both systems).
      canvas.draw(red_over_blue(1), {2, 2, 4, 4});
    }
    EXPECT_EQ(surface->pixel(3, 2), kRed) << static_cast<int>(orientation);
    EXPECT_EQ(surface->pixel(3, 5), kBlue) << static_cast<int>(orientation);
    EXPECT_EQ(surface->pixel(1, 3), kNone);
    EXPECT_EQ(surface->pixel(6, 3), kNone);
  }
}

TEST(CanvasTest, TilingRepeatsWholePiecesFromTheStartCornerAndCutsAtTheEdge) {
  // Piece: a red column and a blue one, drawn at natural size across 7 columns.
  auto piece = Surface::create(2, 1);
  piece->set_pixel(0, 0, kRed);
  piece->set_pixel(1, 0, kBlue);
  auto surface = Surface::create(10, 3);
  {
    Canvas canvas(*surface);
    canvas.tile(*piece, {1, 1, 7, 2}, {2, 1});
  }
  for (int x = 1; x < 8; ++x) {
    for (int y = 1; y < 3; ++y) EXPECT_EQ(surface->pixel(x, y), (x - 1) % 2 == 0 ? kRed : kBlue) << x << "," << y;
  }
  EXPECT_EQ(surface->pixel(0, 1), kNone);
  EXPECT_EQ(surface->pixel(8, 1), kNone);
  EXPECT_EQ(surface->pixel(3, 0), kNone);

  // y-up: rows repeat upwards from the bottom edge, each copy upright (red on top).
  auto upright = Surface::create(1, 6);
  {
    Canvas canvas(*upright, Orientation::y_up);
    canvas.tile(red_over_blue(1), {0, 0, 1, 5}, {1, 2});
  }
  const Pixel expected[] = {kNone, kBlue, kRed, kBlue, kRed, kBlue};  // top row first; cut at the top
  EXPECT_EQ(upright->pixel(0, 0), kNone);
  for (int y = 2; y < 6; ++y) EXPECT_EQ(upright->pixel(0, y), expected[y]) << y;
  EXPECT_EQ(upright->pixel(0, 1), kBlue) << "the cut copy keeps its lower row";
}

TEST(CanvasTest, ClipAndSaveRestoreBoundDrawing) {
  auto surface = Surface::create(10, 10);
  {
    Canvas canvas(*surface);
    canvas.save();
    canvas.clip(platform::gfx::Rect{0, 0, 5, 10});
    canvas.fill(platform::gfx::Rect{0, 0, 10, 10}, kRedColour);
    canvas.restore();
    canvas.restore();  // unbalanced: ignored
    canvas.fill(platform::gfx::Rect{8, 0, 2, 1}, {0, 0, 1, 1});
  }
  EXPECT_EQ(surface->pixel(4, 5), kRed);
  EXPECT_EQ(surface->pixel(6, 5), kNone);
  EXPECT_EQ(surface->pixel(9, 0), kBlue);
}

TEST(CanvasTest, PathsFillInsideAndStrokeAlongTheOutline) {
  auto surface = Surface::create(40, 20);
  {
    Canvas canvas(*surface, Orientation::y_up);
    canvas.fill(Path::rounded_rectangle({0, 0, 40, 20}, 8), kRedColour);
  }
  EXPECT_EQ(surface->pixel(20, 10), kRed);
  EXPECT_EQ(surface->pixel(0, 0).alpha, 0) << "the corner is cut off";
  EXPECT_EQ(surface->pixel(39, 19).alpha, 0);
  EXPECT_EQ(surface->pixel(0, 10), kRed) << "the straight side is full";

  auto stroked = Surface::create(20, 20);
  {
    Canvas canvas(*stroked);
    canvas.stroke(Path::rounded_rectangle({2, 2, 16, 16}, 3), kRedColour, 2);
    canvas.line({0, 10}, {20, 10}, {0, 0, 1, 1}, 2);
  }
  EXPECT_EQ(stroked->pixel(10, 1), kRed);
  EXPECT_EQ(stroked->pixel(10, 5), kNone) << "a stroke leaves the inside empty";
  EXPECT_EQ(stroked->pixel(5, 9), kBlue);
}

}  // namespace
