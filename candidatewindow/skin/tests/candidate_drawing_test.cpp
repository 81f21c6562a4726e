#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>

#include "candidatewindow/skin/q_borderless_view.h"
#include "candidatewindow/skin/tests/skin_fixture.h"
#include "platform/tests/test_support.h"

namespace {

namespace fs = std::filesystem;
using kepskin::QBorderlessView;
using kepskin::fixture::cell_colour;
using platform::gfx::Pixel;
using platform::gfx::Surface;
using platform::testing_support::TempDir;

// zhongwen_color 0x0000FF is red: the arrows are red over the cyan centre piece.
constexpr const char* kGridSkin =
    "[display]\nzhongwen_color = 0x0000FF\nzhongwen_first_color = 0x0000FF\n"
    "[scheme_h1]\nlayout_horizontal = 1,10,10\nlayout_vertical = 0,8,8\npinyin_marge = 3,4,14,6\n"
    "zhongwen_marge = 2,3,14,9\nseparator = 0x0000FF,2,2\npic = grid.png\n";

class CandidateDrawingTest : public ::testing::Test {
 protected:
  void SetUp() override { view_.screens = {platform::ui::default_screen()}; }

  void loadSkin(const std::string& ini, const Surface& picture) {
    const fs::path folder = temp_.path() / "skin";
    kepskin::fixture::write_skin_ini(folder, ini);
    kepskin::fixture::write_picture(folder / "grid.png", picture);
    ASSERT_EQ(view_.setSkinFile(folder), 0);
    view_.setScheme("scheme_h1");
    view_.schemeMode = 1;
  }
  void loadGridSkin(const std::string& ini = kGridSkin) {
    loadSkin(ini, kepskin::fixture::grid_picture(100, 40, 10, 10, 8, 8));
  }

  // The layer's pixel at (x, y) in the layer's own y-up coordinates.
  Pixel layerAt(double x, double y) const {
    return view_.layerImage->pixel(static_cast<int>(x), view_.layerImage->height() - 1 - static_cast<int>(y));
  }

  Surface windowPicture() const {
    return *Surface::create(static_cast<int>(view_.windowFrame.width), static_cast<int>(view_.windowFrame.height));
  }

  TempDir temp_;
  QBorderlessView view_;
};

TEST_F(CandidateDrawingTest, LayerCornersAreThePictureCorners) {
  loadGridSkin();
  view_.displayCandidateString("输入法\x01书\x01数", "shu", {100, 500}, 16);
  ASSERT_TRUE(view_.layerImage);
  const int w = view_.layerImage->width();
  const int h = view_.layerImage->height();
  ASSERT_GT(w, 100);
  EXPECT_EQ(view_.layerImage->pixel(0, 0), cell_colour(0));
  EXPECT_EQ(view_.layerImage->pixel(w - 1, 0), cell_colour(2));
  EXPECT_EQ(view_.layerImage->pixel(0, h - 1), cell_colour(6));
  EXPECT_EQ(view_.layerImage->pixel(w - 1, h - 1), cell_colour(8));
  // The edges between them, repeated across the wider box.
  EXPECT_EQ(view_.layerImage->pixel(w - 12, 2), cell_colour(1));
  EXPECT_EQ(view_.layerImage->pixel(w - 12, h - 2), cell_colour(7));
  EXPECT_EQ(view_.layerImage->pixel(w - 3, h / 2), cell_colour(5));
}

TEST_F(CandidateDrawingTest, ATransparentColourLeavesNothing) {
  // transparent_color is stored blue-green-red: 0x0000FF is the red top-left cell.
  loadGridSkin(std::string(kGridSkin) + "transparent_color_enable = 1\ntransparent_color = 0x0000FF\n");
  view_.displayCandidateString("书", "shu", {100, 500}, 16);
  ASSERT_TRUE(view_.layerImage);
  EXPECT_EQ(view_.layerImage->pixel(0, 0).alpha, 0);
  EXPECT_EQ(view_.layerImage->pixel(view_.layerImage->width() - 1, 0), cell_colour(2));
}

TEST_F(CandidateDrawingTest, PageArrowsShowWhichWayPagesRemain) {
  const struct {
    int page;
    int total;
    bool left;
    bool right;
  } cases[] = {{1, 3, false, true}, {3, 3, true, false}, {2, 3, true, true}};
  loadGridSkin();
  for (const auto& item : cases) {
    view_.page = item.page;
    view_.total = item.total;
    view_.displayCandidateString("书", "shu", {100, 500}, 16);
    ASSERT_TRUE(view_.layerImage);
    const double x = view_.hzPoint.x + view_.hzSize.width + 5;
    const double middle = view_.hzPoint.y + view_.hzFontHeight / 2.0;
    const Pixel left = layerAt(x + 3 + 6, middle);
    const Pixel right = layerAt(x + 15 + 2, middle);
    auto expect_arrow = [&](const Pixel& pixel, bool enabled, const char* which) {
      // Red over the cyan centre: full red when enabled, mostly cyan when dim.
      if (enabled) {
        EXPECT_EQ(pixel, (Pixel{255, 0, 0, 255})) << which << " page " << item.page;
      } else {
        EXPECT_NEAR(pixel.red, 0.3 * 255, 6) << which << " page " << item.page;
        EXPECT_NEAR(pixel.green, 0.7 * 255, 6) << which << " page " << item.page;
      }
    };
    expect_arrow(left, item.left, "left");
    expect_arrow(right, item.right, "right");
  }
}

TEST_F(CandidateDrawingTest, SeparatorRowUnderTheTitle) {
  loadGridSkin();
  view_.displayCandidateString("书", "shu", {100, 500}, 16);
  ASSERT_TRUE(view_.layerImage);
  const double y = view_.pyPoint.y - 4 + 0.5;
  const int w = view_.layerImage->width();
  const Pixel blue{0, 0, 255, 255};
  // From the left inset to W - 15 - the right inset, in the centre column away from the text.
  EXPECT_EQ(layerAt(2, y), blue);
  EXPECT_EQ(layerAt(w - 15 - 2 - 1, y), blue);
  EXPECT_NE(layerAt(1, y), blue);
  EXPECT_NE(layerAt(w - 15 - 2 + 1, y), blue);
  EXPECT_NE(layerAt(w - 15 - 2 - 1, y + 1), blue);
}

TEST_F(CandidateDrawingTest, EveryPieceIsLaidByWholeCopies) {
  // One-pixel pieces tiled over a near-maximal box: the same few draw calls as any other.
  const std::string ini =
      "[scheme_h1]\nlayout_horizontal = 1,1,1\nlayout_vertical = 1,1,1\nzhongwen_marge = 0,0,0,3900\npic = grid.png\n";
  loadSkin(ini, kepskin::fixture::grid_picture(3, 3, 1, 1, 1, 1));
  const auto started = std::chrono::steady_clock::now();
  view_.displayCandidateString("书", "", {100, 500}, 16);
  const auto took = std::chrono::steady_clock::now() - started;
  ASSERT_TRUE(view_.layerImage);
  const int w = view_.layerImage->width();
  const int h = view_.layerImage->height();
  ASSERT_GT(w, 3900);
  EXPECT_EQ(view_.layerImage->pixel(w / 2, 0), cell_colour(1));
  EXPECT_EQ(view_.layerImage->pixel(w - 1, h / 2), cell_colour(5));
  EXPECT_EQ(view_.layerImage->pixel(w - 2, h / 2), cell_colour(4));
  EXPECT_EQ(view_.layerImage->pixel(w - 100, h - 1), cell_colour(7));
  EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(took).count(), 5);
}

TEST_F(CandidateDrawingTest, SkinPaintingPutsTheLayerAboveItsShadow) {
  loadGridSkin();
  for (const bool shadow : {true, false}) {
    view_.hasShadow = shadow;
    view_.displayCandidateString("书", "shu", {100, 500}, 16);
    Surface window = windowPicture();
    view_.drawRect(window);
    const int w = window.width();
    const int h = window.height();
    // The layer fills the top-left part, 15 pixels short of the right and bottom edges.
    EXPECT_EQ(window.pixel(0, 0), cell_colour(0));
    EXPECT_EQ(window.pixel(w - 16, h - 16), cell_colour(8));
    EXPECT_EQ(window.pixel(w - 15, h - 16).alpha == 0, !shadow) << shadow;
    EXPECT_EQ(window.pixel(w - 10, h - 10).alpha == 0, !shadow) << shadow;
    EXPECT_EQ(window.pixel(0, h - 1).alpha, 0);
  }
}

TEST_F(CandidateDrawingTest, NoUsableSkinPaintsThePlainBox) {
  view_.schemeMode = 1;
  view_.plain.background = {0, 0, 1, 1};
  view_.hasShadow = false;
  view_.displayCandidateString("a\x01" "b", "", {100, 500}, 16);
  Surface window = windowPicture();
  view_.drawRect(window);
  EXPECT_EQ(window.pixel(0, 0).alpha, 0);  // outside the rounded box
  EXPECT_EQ(window.pixel(window.width() / 2, 10), (Pixel{0, 0, 255, 255}));
}

TEST_F(CandidateDrawingTest, PlainBoxShadowAndInvertedMarker) {
  view_.plain.foreground = {1, 1, 1, 1};
  view_.plain.background = {0, 0, 0, 1};
  const auto metrics = platform::gfx::measure("繁", kepskin::drawingFont(view_.plain.font));
  const double bottom = -metrics.descent + 15;
  const struct {
    bool shadow;
    bool traditional;
  } cases[] = {{true, true}, {false, true}, {false, false}};
  for (const auto& item : cases) {
    view_.hasShadow = item.shadow;
    view_.traditional = item.traditional;
    view_.displayCandidateString("a\x01" "b", "", {100, 500}, 16);
    Surface window = windowPicture();
    view_.drawRect(window);
    const int w = window.width();
    const int h = window.height();
    EXPECT_EQ(window.pixel(w / 2, h / 2).alpha, 255);
    // The shadow falls right and down of the box, which ends 8 pixels from the edges.
    EXPECT_EQ(window.pixel(w - 5, h - 5).alpha > 0, item.shadow) << item.shadow;
    // The marker stands on a block of the text colour at the start of the candidate line.
    const int row = h - 1 - static_cast<int>(bottom + metrics.height / 2);
    const Pixel start = window.pixel(14, row);
    EXPECT_EQ(start.red > 200 && start.green > 200 && start.blue > 200, item.traditional) << item.traditional;
  }
}

}  // namespace
