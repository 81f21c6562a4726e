#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "candidatewindow/skin/q_borderless_view.h"
#include "candidatewindow/skin/tests/skin_fixture.h"
#include "platform/tests/test_support.h"

namespace {

namespace fs = std::filesystem;
using kepskin::QBorderlessView;
using kepskin::SeperateInputString;
using kepskin::WidthForStringDrawing;
using platform::testing_support::TempDir;

const std::vector<platform::ui::Screen> kOneScreen{platform::ui::default_screen()};

// The grid skin: a 100 x 40 picture with borders 10, 10, 8, 8.
constexpr const char* kGridSkin =
    "[display]\nzhongwen_color = 0x0000FF\nzhongwen_first_color = 0x00FF00\n"
    "[scheme_h1]\nlayout_horizontal = 1,10,10\nlayout_vertical = 0,8,8\npinyin_marge = 3,4,5,6\n"
    "zhongwen_marge = 2,3,7,9\nanchor = 3,4\npic = grid.png\n"
    "[scheme_v1]\nlayout_horizontal = 0,10,10\nlayout_vertical = 2,8,8\npinyin_marge = 3,4,5,6\n"
    "zhongwen_marge = 2,3,7,9\npic = grid.png\n";

class CandidateLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override { view_.screens = kOneScreen; }

  void loadGridSkin(const char* scheme, const std::string& ini = kGridSkin) {
    const fs::path folder = temp_.path() / "grid";
    kepskin::fixture::write_skin_ini(folder, ini);
    kepskin::fixture::write_picture(folder / "grid.png", kepskin::fixture::grid_picture(100, 40, 10, 10, 8, 8));
    ASSERT_EQ(view_.setSkinFile(folder), 0);
    view_.setScheme(scheme);
    view_.schemeMode = 1;
  }

  TempDir temp_;
  QBorderlessView view_;
};

TEST(SeperateInputString, CutsAtEverySeparator) {
  const struct {
    std::string text;
    std::vector<std::string> pieces;
  } cases[] = {
      {"a\x01" "b", {"a", "b"}},
      {"a\x01" "b\x01", {"a", "b"}},            // a trailing separator adds nothing
      {"a\x01\x01" "b", {"a", "", "b"}},        // two in a row add an empty piece
      {"\x01", {""}},
      {"", {}},
      {"输入\x01\xff\xfe\x01" "书", {"输入", "书"}},  // invalid UTF-8 is dropped
  };
  for (const auto& item : cases) EXPECT_EQ(SeperateInputString(item.text, '\x01'), item.pieces) << item.text;
}

TEST(WidthForStringDrawing, WrapsOnlyPastTheMaximum) {
  const kepskin::SkinFont font{"Hei", "Hei", 16};
  const auto one = WidthForStringDrawing("输入法", font, 5000);
  EXPECT_GT(one.width, 30);
  EXPECT_GT(one.height, 10);
  const auto narrow = WidthForStringDrawing("输入法", font, one.width / 2);
  EXPECT_DOUBLE_EQ(narrow.width, one.width / 2);
  EXPECT_DOUBLE_EQ(narrow.height, 2 * one.height);
}

TEST_F(CandidateLayoutTest, PlainCandidateLine) {
  const struct {
    bool traditional;
    bool showPage;
    const char* format;
    const char* line;
  } cases[] = {
      {true, true, "%d%@", "繁 1a 2b (2/5)"},
      {false, true, "%d%@", "1a 2b (2/5)"},
      {true, false, "%d%@", "繁 1a 2b"},
      {false, false, "%d.%@", "1.a 2.b"},
      {false, false, "%s%@", "1a 2b"},  // an unusable format falls back
  };
  for (const auto& item : cases) {
    view_.traditional = item.traditional;
    view_.showPage = item.showPage;
    view_.labelFormat = item.format;
    view_.page = 2;
    view_.total = 5;
    view_.displayCandidateString("a\x01" "b", "", {100, 500}, 16);
    EXPECT_EQ(view_.hz, item.line);
  }
}

TEST_F(CandidateLayoutTest, PlainBoxSize) {
  const struct {
    bool showPage;
    int imeMode;
    const char* title;
    double extraWidth;
    double extraHeight;
  } cases[] = {
      {false, 0, "", 55, 25},
      {true, 0, "", 30, 25},            // the page suffix makes the box 25 narrower
      {false, 1, "shu", 55, 25 + 24},   // the composition line: font height + 8
      {false, 1, "-", 55, 25},
      {false, 0, "shu", 55, 25},        // only input mode 1 shows it
  };
  view_.plain.font = {"Hei", "Hei", 16};
  view_.plain.fontHeight = 16;
  for (const auto& item : cases) {
    view_.showPage = item.showPage;
    view_.imeMode = item.imeMode;
    view_.displayCandidateString("输入\x01书", item.title, {100, 500}, 16);
    const double text = WidthForStringDrawing(view_.hz, view_.plain.font, 5000).width;
    EXPECT_DOUBLE_EQ(view_.boxSize.width, std::floor(text + item.extraWidth)) << item.title;
    EXPECT_DOUBLE_EQ(view_.boxSize.height, 16 + item.extraHeight) << item.title;
    EXPECT_DOUBLE_EQ(view_.windowFrame.width, view_.boxSize.width);
    EXPECT_FALSE(view_.layerImage);
  }
}

TEST_F(CandidateLayoutTest, PlainBoxIsTallerOnceALargeSkinFontWasLoaded) {
  loadGridSkin("scheme_h1", "[display]\nfont_size = 20\n");
  view_.schemeMode = 0;
  view_.plain.fontHeight = 16;
  view_.displayCandidateString("a", "", {100, 500}, 16);
  EXPECT_DOUBLE_EQ(view_.boxSize.height, 16 + 27);
}

TEST_F(CandidateLayoutTest, AnEmptyPlainFontNameMeansTheDefaultFamily) {
  view_.plain.font = {"Hei", "Hei", 20};
  view_.displayCandidateString("输入法\x01书", "", {100, 500}, 16);
  const double named = view_.boxSize.width;
  view_.plain.font = {"", "", 20};
  view_.displayCandidateString("输入法\x01书", "", {100, 500}, 16);
  EXPECT_DOUBLE_EQ(view_.boxSize.width, named);
  view_.plain.font = {"", "", 0};  // no size: the default size
  view_.displayCandidateString("输入法\x01书", "", {100, 500}, 16);
  EXPECT_LT(view_.boxSize.width, named);
}

TEST_F(CandidateLayoutTest, AtMostNineLabelsAPage) {
  std::string twelve;
  for (int i = 0; i < 12; ++i) twelve += std::string(i ? "\x01" : "") + "c";
  view_.displayCandidateString(twelve, "", {100, 500}, 16);
  ASSERT_EQ(view_.shownLabels.size(), 9u);
  EXPECT_EQ(view_.shownLabels.back(), " 9c");
  EXPECT_EQ(view_.hz, "1c 2c 3c 4c 5c 6c 7c 8c 9c");
}

TEST_F(CandidateLayoutTest, TheBoxStaysWithinThePictureBound) {
  std::string wide(2000, 'W');
  for (const int schemeMode : {0, 1}) {
    if (schemeMode == 1) loadGridSkin("scheme_h1");
    view_.schemeMode = schemeMode;
    view_.displayCandidateString(wide + "\x01" + wide, wide, {100, 500}, 16);
    EXPECT_LE(view_.windowFrame.width, platform::gfx::kMaxSide) << schemeMode;
    EXPECT_LE(view_.windowFrame.height, platform::gfx::kMaxSide) << schemeMode;
    if (schemeMode == 1) {
      ASSERT_TRUE(view_.layerImage);
      EXPECT_EQ(view_.layerImage->width(), static_cast<int>(view_.boxSize.width));
      platform::gfx::Surface window = *platform::gfx::Surface::create(
          static_cast<int>(view_.windowFrame.width), static_cast<int>(view_.windowFrame.height));
      view_.drawRect(window);
    }
  }
}

TEST_F(CandidateLayoutTest, PlainPlacementOnTheDefaultScreen) {
  view_.plain.fontHeight = 16;
  view_.displayCandidateString("a", "", {100, 500}, 16);
  const double w = view_.boxSize.width;
  const double h = view_.boxSize.height;
  const struct {
    platform::ui::Point caret;
    double x;
    double y;
  } cases[] = {
      {{100, 500}, 100, 500 - (h + 9) + 15},
      {{100, 20}, 100, 20 + 16 + h + 2 - (h + 9) + 15},  // no room below: above the caret line
      {{1430, 500}, 1440 - w, 500 - (h + 9) + 15},       // kept on the usable area
      {{100.9, 500.7}, 100, 500 - (h + 9) + 15},         // the caret is truncated
  };
  for (const auto& item : cases) {
    view_.displayCandidateString("a", "", item.caret, 16);
    EXPECT_DOUBLE_EQ(view_.windowFrame.x, item.x) << item.caret.x << "," << item.caret.y;
    EXPECT_DOUBLE_EQ(view_.windowFrame.y, item.y) << item.caret.x << "," << item.caret.y;
  }
}

TEST_F(CandidateLayoutTest, AnAbsurdCaretStillLandsOnTheScreen) {
  const platform::ui::Point carets[] = {{1e300, -1e300}, {std::nan(""), 500}, {-5e9, 5e9}};
  for (const auto& caret : carets) {
    view_.displayCandidateString("a", "", caret, 16);
    EXPECT_GE(view_.windowFrame.x, 0) << caret.x << "," << caret.y;
    EXPECT_LE(view_.windowFrame.x + view_.windowFrame.width, 1440) << caret.x << "," << caret.y;
    EXPECT_TRUE(std::isfinite(view_.windowFrame.y)) << caret.x << "," << caret.y;
  }
}

TEST_F(CandidateLayoutTest, APageAtTheOriginStaysWhereTheLastOneWas) {
  view_.displayCandidateString("a", "", {300, 400}, 16);
  const auto shown = view_.windowFrame;
  view_.displayCandidateString("a", "", {0, 0}, 16);
  EXPECT_EQ(view_.windowFrame, shown);
  EXPECT_EQ(view_.x, 0);
  // The remembered caret belongs to the view, not to the program.
  QBorderlessView other;
  other.screens = kOneScreen;
  other.displayCandidateString("a", "", {0, 0}, 16);
  EXPECT_DOUBLE_EQ(other.windowFrame.x, 0);
}

TEST_F(CandidateLayoutTest, SkinStyleWithoutASkinLaysOutPlain) {
  view_.schemeMode = 1;
  view_.displayCandidateString("a\x01" "b", "", {100, 500}, 16);
  EXPECT_FALSE(view_.usesSkinStyle());
  EXPECT_EQ(view_.hz, "1a 2b");
  EXPECT_DOUBLE_EQ(view_.windowFrame.width, view_.boxSize.width);
  EXPECT_FALSE(view_.layerImage);
}

TEST_F(CandidateLayoutTest, HorizontalSkinSizesAndPlaces) {
  loadGridSkin("scheme_h1");
  ASSERT_TRUE(view_.usesSkinStyle());
  view_.displayCandidateString("输入法\x01书", "shu", {100, 500}, 16);
  EXPECT_EQ(view_.hz, "1输入法 2书");
  const double a = 5 + view_.pySize.width + 6;
  const double b = 7 + view_.hzSize.width + 9;
  const double w = a > b ? a + 8 : b + 43;
  EXPECT_DOUBLE_EQ(view_.boxSize.width, std::floor(std::max(w, 20.0)));
  const double s = view_.pySize.height + view_.hzSize.height + 3 + 4 + 2 + 3;
  EXPECT_DOUBLE_EQ(view_.boxSize.height, std::floor(std::max(s + 5, 40.0)));
  const double W = view_.boxSize.width;
  const double H = view_.boxSize.height;

  const platform::gfx::Rect expected[9] = {
      {0, H - 8, 10, 8},      {10, H - 8, 80, 8}, {W - 10, H - 8, 10, 8},
      {0, 8, 10, 24},         {10, 8, 80, 24},    {W - 10, 8, 10, 24},
      {0, 0, 10, 8},          {10, 0, 80, 8},     {W - 10, 0, 10, 8},
  };
  for (int i = 0; i < 9; ++i) EXPECT_EQ(view_.pieceRects[static_cast<std::size_t>(i)], expected[i]) << i;

  EXPECT_DOUBLE_EQ(view_.pyPoint.x, 5);
  EXPECT_DOUBLE_EQ(view_.pyPoint.y, H - 3 - view_.pySize.height - 4);
  EXPECT_DOUBLE_EQ(view_.hzPoint.x, 7);
  EXPECT_DOUBLE_EQ(view_.hzPoint.y, view_.pyPoint.y - 4 - 2 - view_.hzSize.height);

  // Placed as a skin box, moved by the anchor, with room for the shadow.
  EXPECT_DOUBLE_EQ(view_.windowFrame.x, 100 - 4);
  EXPECT_DOUBLE_EQ(view_.windowFrame.y, 500 - (H + 17) + 3);
  EXPECT_DOUBLE_EQ(view_.windowFrame.width, W + 15);
  EXPECT_DOUBLE_EQ(view_.windowFrame.height, H + 15);
}

TEST_F(CandidateLayoutTest, VerticalSkinKeepsThePictureHeight) {
  loadGridSkin("scheme_v1");
  view_.displayCandidateString("输入法\x01书\x01数", "shu", {100, 500}, 16);
  ASSERT_EQ(view_.shownLabels, (std::vector<std::string>{"1输入法", "2书", "3数"}));
  const double row = WidthForStringDrawing("3数", view_.hzFont, 5000).height;
  EXPECT_FLOAT_EQ(view_.hzHeight, static_cast<float>(row + 8));
  EXPECT_GT(view_.hzSize.height, 3 * row);
  const double s = view_.pySize.height + view_.hzSize.height + 3 + 4 + 2 + 3;
  EXPECT_DOUBLE_EQ(view_.boxSize.height, std::floor(std::max(s, 40.0)));
  // Mode 2: pieces hang from the picture's height, whatever the box's.
  const double W = view_.boxSize.width;
  const platform::gfx::Rect expected[9] = {
      {0, 32, 10, 8},  {10, 32, 80, 8}, {W - 10, 32, 10, 8},
      {0, 8, 10, 24},  {10, 8, 80, 24}, {W - 10, 8, 10, 24},
      {0, 0, 10, 8},   {10, 0, 80, 8},  {W - 10, 0, 10, 8},
  };
  for (int i = 0; i < 9; ++i) EXPECT_EQ(view_.pieceRects[static_cast<std::size_t>(i)], expected[i]) << i;
}

TEST_F(CandidateLayoutTest, ModeFiftyRaisesEveryPieceInATallBox) {
  const std::string ini = std::string("[scheme_v1]\nlayout_horizontal = 0,10,10\nlayout_vertical = 50,8,8\n") +
                          "pinyin_marge = 3,4,5,6\nzhongwen_marge = 2,3,7,9\npic = grid.png\n";
  loadGridSkin("scheme_v1", ini);
  view_.displayCandidateString("输入法\x01书\x01数\x01四\x01五", "shu", {100, 500}, 16);
  const double H = view_.boxSize.height;
  ASSERT_GT(H, 40);
  EXPECT_DOUBLE_EQ(view_.pieceRects[6].y, H - 40);
  EXPECT_DOUBLE_EQ(view_.pieceRects[3].y, 8 + H - 40);
}

TEST_F(CandidateLayoutTest, LaterPagesAtTheOriginKeepTheMeasuredHeights) {
  loadGridSkin("scheme_h1");
  view_.displayCandidateString("输入法", "shu", {100, 500}, 16);
  const auto heights = std::make_pair(view_.pySize.height, view_.hzSize.height);
  view_.hzFont.size = 40;  // would measure much taller
  view_.displayCandidateString("输入法", "shu", {0, 0}, 16);
  EXPECT_EQ(std::make_pair(view_.pySize.height, view_.hzSize.height), heights);
  view_.displayCandidateString("输入法", "shu", {100, 500}, 16);
  EXPECT_GT(view_.hzSize.height, heights.second);
}

TEST_F(CandidateLayoutTest, FixedNumbering) {
  const struct {
    const char* scheme;
    std::vector<std::string> labels;
  } cases[] = {
      {"scheme_h1", {"1.输入法", " 2.输入", " 3.书", " 4.数"}},
      {"scheme_v1", {"1.输入法", "2.输入", "3.书", "4.数"}},
  };
  for (const auto& item : cases) {
    loadGridSkin(item.scheme);
    view_.fixedNumbering = true;
    view_.labelFormat = "%d)%@";  // not used
    view_.displayCandidateString("输入法\x01输入\x01书\x01数", "shu", {0, 0}, 0);
    EXPECT_EQ(view_.shownLabels, item.labels) << item.scheme;
    ASSERT_TRUE(view_.layerImage);
    EXPECT_EQ(view_.layerImage->width(), static_cast<int>(view_.boxSize.width));
    EXPECT_EQ(view_.layerImage->height(), static_cast<int>(view_.boxSize.height));
  }
}

}  // namespace
