#include "candidatewindow/skin/nine_pieces.h"

#include <gtest/gtest.h>

#include "candidatewindow/skin/tests/skin_fixture.h"

namespace {

using kepskin::cut_nine_pieces;
using kepskin::fixture::cell_colour;
using kepskin::fixture::grid_picture;
using platform::gfx::IntRect;

TEST(NinePiecesTest, GridPictureCutsIntoItsNineCells) {
  const auto picture = grid_picture(100, 40, 10, 10, 8, 8);
  const auto pieces = cut_nine_pieces(picture, 10, 10, 8, 8);
  const IntRect expected[9] = {{0, 0, 10, 8},   {10, 0, 80, 8},   {90, 0, 10, 8},
                               {0, 8, 10, 24},  {10, 8, 80, 24},  {90, 8, 10, 24},
                               {0, 32, 10, 8},  {10, 32, 80, 8},  {90, 32, 10, 8}};
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(pieces.rect[i], expected[i]) << "piece " << i;
    ASSERT_TRUE(pieces.images[i]) << "piece " << i;
    const auto& image = *pieces.images[i];
    EXPECT_EQ(image.width(), expected[i].width);
    EXPECT_EQ(image.height(), expected[i].height);
    // Every pixel of the piece, its first and last included, is its cell's colour.
    EXPECT_EQ(image.pixel(0, 0), cell_colour(i)) << "piece " << i;
    EXPECT_EQ(image.pixel(image.width() - 1, image.height() - 1), cell_colour(i)) << "piece " << i;
  }
}

TEST(NinePiecesTest, CentreColumnFollowsTheSideBorders) {
  const struct {
    int width, left, right;
    int centre_x, centre_width;
  } cases[] = {
      {100, 10, 10, 10, 80},  // room between the borders
      {20, 12, 8, 11, 2},     // borders meet: two pixels around the seam
      {20, 15, 10, 10, 5},    // borders overlap: the overlap
  };
  for (const auto& item : cases) {
    const auto sources = kepskin::nine_piece_sources(item.width, 30, item.left, item.right, 5, 5);
    for (int row = 0; row < 3; ++row) {
      EXPECT_EQ(sources[row * 3 + 1].x, item.centre_x) << item.width << "/" << item.left << "/" << item.right;
      EXPECT_EQ(sources[row * 3 + 1].width, item.centre_width);
    }
    const auto pieces = cut_nine_pieces(grid_picture(item.width, 30, item.left, item.right, 5, 5), item.left,
                                        item.right, 5, 5);
    EXPECT_EQ(pieces.rect[4], (IntRect{item.centre_x, 5, item.centre_width, 20}));
  }
}

TEST(NinePiecesTest, SourcesBeyondThePictureAreClampedAndEmptyOnesLeftOut) {
  const auto picture = grid_picture(30, 20, 10, 10, 5, 5);
  // Borders wider and taller than the picture: corners clamp, the middle row has no height.
  const auto pieces = cut_nine_pieces(picture, 50, 40, 15, 30);
  EXPECT_EQ(pieces.rect[0], (IntRect{0, 0, 30, 15}));
  EXPECT_EQ(pieces.rect[2], (IntRect{0, 0, 30, 15}));   // x = 30 - 40 clamped to 0
  EXPECT_EQ(pieces.rect[8], (IntRect{0, 0, 30, 20}));   // y = 20 - 30 clamped to 0
  for (int i : {3, 4, 5}) {
    EXPECT_FALSE(pieces.images[i]) << i;
    EXPECT_EQ(pieces.rect[i], IntRect{}) << i;
  }
  const auto zero = cut_nine_pieces(picture, 0, 0, 0, 0);
  for (int i : {0, 1, 2, 3, 5, 6, 7, 8}) EXPECT_FALSE(zero.images[i]) << i;
  ASSERT_TRUE(zero.images[4]);
  EXPECT_EQ(zero.rect[4], (IntRect{0, 0, 30, 20}));
  const auto hostile = cut_nine_pieces(picture, 2147483647, -2147483647 - 1, 2147483647, 5);
  for (const auto& rect : hostile.rect) {
    EXPECT_GE(rect.x, 0);
    EXPECT_LE(rect.x + rect.width, 30);
  }
}

}  // namespace
