#include "candidatewindow/skin/q_borderless_view.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "candidatewindow/skin/tests/log_capture.h"
#include "candidatewindow/skin/tests/skin_fixture.h"
#include "platform/tests/test_support.h"

namespace {

namespace fs = std::filesystem;
using kepskin::QBorderlessView;
using kepskin::fixture::IniEncoding;
using kepskin::fixture::write_skin_ini;
using platform::gfx::Colour;
using platform::gfx::IntRect;
using platform::testing_support::TempDir;

constexpr const char* kFullSkin =
    "[General]\nskin_name = 蓝色\nskin_version = 2.1\nskin_author = 某人\nskin_time = 2009-01-02\n"
    "[Display]\nfont_ch = 宋体\nfont_size = 14\nfont_en = Arial\nzhongwen_color = 0x0000FF\n"
    "pinyin_color = 0x00FF00\nzhongwen_first_color = 0xFF0000\ncomphint_color = 0x808080\n"
    "[Scheme_H1]\nlayout_horizontal = 1 , 0x0A ,20\nlayout_vertical = 0,8,8\npinyin_marge = 1,2,3,4\n"
    "zhongwen_marge = 5,6,7,8\nseparator = 0x0000FF,2,2\ntransparent_color_enable = 1\n"
    "transparent_color = 0x00FF00\nopaque = 200\nanchor = 3,4\npic = 背景.png\n";

class ViewTest : public ::testing::Test {
 protected:
  fs::path skin(const char* name = "skin") const { return temp_.path() / name; }
  QBorderlessView view_;
  TempDir temp_;
};

TEST_F(ViewTest, SkinIniReadsTheSameInEveryEncoding) {
  const IniEncoding encodings[] = {IniEncoding::Utf8, IniEncoding::Utf8Bom, IniEncoding::Utf16LEBom,
                                   IniEncoding::Utf16BEBom, IniEncoding::Gb18030};
  for (const auto encoding : encodings) {
    const fs::path folder = skin(("enc" + std::to_string(static_cast<int>(encoding))).c_str());
    write_skin_ini(folder, kFullSkin, encoding);
    QBorderlessView view;
    ASSERT_EQ(view.setSkinFile(folder), 0) << static_cast<int>(encoding);
    EXPECT_EQ(view.name, "蓝色");
    EXPECT_EQ(view.author, "某人");
    EXPECT_EQ(view.version, "2.1");
    EXPECT_EQ(view.date, "2009-01-02");
    EXPECT_EQ(view.hzFont.name, "华文宋体");
    EXPECT_EQ(view.hzFontHeight, 14);
    EXPECT_EQ(view.hzColor, Colour::from_bgr(0x0000FF));
    view.setScheme("scheme_h1");
    EXPECT_EQ(view.layout_h, (std::array<int, 3>{1, 10, 20}));
    EXPECT_EQ(view.pic, "背景.png");
    // Loading never writes beside the skin.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator{}), 1);
  }
}

TEST_F(ViewTest, DisplayFontsAndColours) {
  const struct {
    const char* display;
    const char* asked;
    const char* family;
    int size;
  } cases[] = {
      {"font_ch = 宋体\n", "华文宋体", "WenQuanYi Micro Hei", 16},
      {"font_ch = 微软雅黑\nfont_size = 20\n", "Hei", "WenQuanYi Micro Hei", 20},
      {"font_ch = No Such Family 42\n", "Hei", "WenQuanYi Micro Hei", 16},
      {"font_ch = DejaVu Serif\nfont_size = 0\n", "DejaVu Serif", "DejaVu Serif", 16},
      {"", "Hei", "WenQuanYi Micro Hei", 16},
  };
  for (const auto& item : cases) {
    write_skin_ini(skin(), std::string("[display]\n") + item.display);
    QBorderlessView view;
    ASSERT_EQ(view.setSkinFile(skin()), 0);
    EXPECT_EQ(view.hzFont.name, item.asked) << item.display;
    EXPECT_EQ(view.hzFont.family, item.family) << item.display;
    EXPECT_EQ(view.hzFontHeight, item.size) << item.display;
    EXPECT_EQ(view.pyFont.family, "DejaVu Sans") << item.display;
    EXPECT_EQ(view.pyFont.size, item.size);
  }

  write_skin_ini(skin(), kFullSkin);
  ASSERT_EQ(view_.setSkinFile(skin()), 0);
  EXPECT_EQ(view_.hzColor, (Colour{1, 0, 0, 1}));  // 0x00BBGGRR: 0xFF in the low byte is red
  EXPECT_EQ(view_.pyColor, (Colour{0, 1, 0, 1}));
  EXPECT_EQ(view_.firstColor, (Colour{0, 0, 1, 1}));
  EXPECT_EQ(view_.hzAttributes.colour, view_.hzColor);
  EXPECT_EQ(view_.firstAttributes.colour, view_.firstColor);
  EXPECT_EQ(view_.firstAttributes.font.name, "华文宋体");
  EXPECT_EQ(view_.pyAttributes.colour, view_.pyColor);
}

TEST_F(ViewTest, MissingGeneralSectionGivesDefaults) {
  write_skin_ini(skin("a"), kFullSkin);
  write_skin_ini(skin("b"), "[display]\nfont_size = 12\n");
  ASSERT_EQ(view_.setSkinFile(skin("a")), 0);
  ASSERT_EQ(view_.setSkinFile(skin("b")), 0);
  EXPECT_EQ(view_.name, "No Information");
  EXPECT_EQ(view_.version, "1.0");
  EXPECT_EQ(view_.author, "No Information");
  EXPECT_EQ(view_.date, "No Information");
}

TEST_F(ViewTest, FailuresAnswerTheirCodeAndKeepThePreviousSkin) {
  write_skin_ini(skin("good"), kFullSkin);
  fs::create_directories(skin("empty-folder"));
  write_skin_ini(skin("broken"), "[display\nfont_ch = x\n");
  write_skin_ini(skin("empty-ini"), "");
  fs::create_directories(skin("bad16"));
  kepskin::fixture::write_file(skin("bad16") / "skin.ini", std::string("\xFF\xFE\x00\xD8", 4));  // lone surrogate
  fs::create_directories(skin("huge"));
  kepskin::fixture::write_file(skin("huge") / "skin.ini", std::string(kepskin::kMaxSkinIniBytes + 1, ' '));

  ASSERT_EQ(view_.setSkinFile(skin("good")), 0);
  const struct {
    const char* folder;
    int code;
  } cases[] = {{"absent", -1}, {"empty-folder", -3}, {"broken", -4}, {"huge", -4},
               {"empty-ini", -5}, {"bad16", -5}};
  for (const auto& item : cases) {
    EXPECT_EQ(view_.setSkinFile(skin(item.folder)), item.code) << item.folder;
    EXPECT_EQ(view_.name, "蓝色") << item.folder;
    EXPECT_EQ(view_.hzColor, Colour::from_bgr(0x0000FF)) << item.folder;
    EXPECT_EQ(view_.filePath, skin("good")) << item.folder;
  }
}

TEST_F(ViewTest, FailedLoadIsRetriedAndChangedSkinIniReadAgain) {
  write_skin_ini(skin(), "[display\n");
  EXPECT_EQ(view_.setSkinFile(skin()), -4);
  write_skin_ini(skin(), "[display]\nzhongwen_color = 0x0000FF\n");
  ASSERT_EQ(view_.setSkinFile(skin()), 0);
  EXPECT_EQ(view_.hzColor, (Colour{1, 0, 0, 1}));

  view_.setScheme("scheme_h1");
  ASSERT_FALSE(view_.skinChanged);
  EXPECT_EQ(view_.setSkinFile(skin()), 0);  // same file: nothing is read
  EXPECT_FALSE(view_.skinChanged);

  write_skin_ini(skin(), "[display]\nzhongwen_color = 0x00FF00\n");  // reinstalled over the same folder
  ASSERT_EQ(view_.setSkinFile(skin()), 0);
  EXPECT_TRUE(view_.skinChanged);
  EXPECT_EQ(view_.hzColor, (Colour{0, 1, 0, 1}));
}

TEST_F(ViewTest, SchemeKeysPicturePiecesAndTransparency) {
  write_skin_ini(skin(), kFullSkin);
  auto picture = kepskin::fixture::grid_picture(100, 40, 10, 20, 8, 8);
  picture.set_pixel(50, 20, {255, 0, 0, 255});
  picture.set_pixel(51, 20, {0, 255, 0, 255});  // the transparent colour 0x00FF00 read as BGR: green
  kepskin::fixture::write_picture(skin() / "背景.png", picture);
  ASSERT_EQ(view_.setSkinFile(skin()), 0);
  view_.setScheme("SCHEME_H1");
  EXPECT_EQ(view_.schemeIndex, 0);
  EXPECT_EQ(view_.layout_v, (std::array<int, 3>{0, 8, 8}));
  EXPECT_EQ(view_.pyMarge, (std::array<int, 4>{1, 2, 3, 4}));
  EXPECT_EQ(view_.hzMarge, (std::array<int, 4>{5, 6, 7, 8}));
  EXPECT_EQ(view_.sep, (std::array<int, 3>{0xFF, 2, 2}));
  ASSERT_TRUE(view_.sepColor);
  EXPECT_EQ(*view_.sepColor, (Colour{0, 0, 1, 1}));  // 0x00RRGGBB: blue
  EXPECT_TRUE(view_.transparentEnabled);
  EXPECT_EQ(view_.transparentColor, (std::array<int, 3>{0, 255, 0}));
  EXPECT_EQ(view_.opaque, 200);
  EXPECT_EQ(view_.anchor, (std::array<int, 2>{3, 4}));
  EXPECT_EQ(view_.srcImageWidth, 100);
  EXPECT_EQ(view_.srcImageHeight, 40);
  EXPECT_EQ(view_.rect[4], (IntRect{10, 8, 70, 24}));
  EXPECT_EQ(view_.rect[8], (IntRect{80, 32, 20, 8}));
  ASSERT_TRUE(view_.images[4]);
  EXPECT_EQ(view_.images[4]->pixel(40, 12).alpha, 255);  // red stays
  EXPECT_EQ(view_.images[4]->pixel(41, 12).alpha, 0);    // the keyed colour is gone
  EXPECT_EQ(view_.images[4]->pixel(0, 0), kepskin::fixture::cell_colour(4));

  // A separator with one inset 0 has no colour.
  write_skin_ini(skin(), "[scheme_h1]\nseparator = 0x0000FF,0,2\n");
  ASSERT_EQ(view_.setSkinFile(skin()), 0);
  view_.setScheme("SCHEME_H1");
  EXPECT_FALSE(view_.sepColor);
  EXPECT_FALSE(view_.transparentEnabled);
  EXPECT_EQ(view_.transparentColor, (std::array<int, 3>{255, 255, 255}));
}

TEST_F(ViewTest, EachSchemeStartsFromTheDefaults) {
  write_skin_ini(skin(),
                 "[scheme_h1]\nlayout_horizontal = 2,5,6\nlayout_vertical = 0,1,2\npinyin_marge = 1,2,3,4\n"
                 "anchor = 7,8\nopaque = 9\n"
                 "[scheme_v1]\nlayout_horizontal = 0\npinyin_marge = 9\n");
  ASSERT_EQ(view_.setSkinFile(skin()), 0);
  view_.setScheme("scheme_h1");
  EXPECT_EQ(view_.layout_h, (std::array<int, 3>{2, 5, 6}));
  view_.setScheme("scheme_v1");
  EXPECT_EQ(view_.schemeIndex, 2);
  EXPECT_EQ(view_.layout_h, (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(view_.layout_v, (std::array<int, 3>{1, 0, 0}));
  EXPECT_EQ(view_.pyMarge, (std::array<int, 4>{9, 0, 0, 0}));
  EXPECT_EQ(view_.anchor, (std::array<int, 2>{0, 0}));
  EXPECT_EQ(view_.opaque, 255);
}

TEST_F(ViewTest, BorderOverflowIsLoggedAndTakenAsZero) {
  kepskin::fixture::LogCapture log;
  write_skin_ini(skin(), "[scheme_h1]\nlayout_vertical = 1,200,-3\npic = p.png\n");
  kepskin::fixture::write_picture(skin() / "p.png", kepskin::fixture::grid_picture(50, 40, 5, 5, 5, 5));
  ASSERT_EQ(view_.setSkinFile(skin()), 0);
  view_.setScheme("scheme_h1");
  EXPECT_EQ(view_.layout_v, (std::array<int, 3>{1, 0, 0}));
  EXPECT_EQ(log.lines, (std::vector<std::string>{"Warning! Layout vertical postition 1 overflow.[200,40]",
                                                 "Warning! Layout vertical postition 2 overflow.[0,-3]"}));
  EXPECT_EQ(view_.rect[4], (IntRect{0, 0, 50, 40}));  // cut with the corrected borders
}

TEST_F(ViewTest, SecondarySchemesLoadNoPiecesAndRepeatsReadNothing) {
  write_skin_ini(skin(), "[scheme_h1]\npic = p.png\n[scheme_h2]\npic = p.png\n");
  kepskin::fixture::write_picture(skin() / "p.png", kepskin::fixture::grid_picture(20, 20, 0, 0, 0, 0));
  ASSERT_EQ(view_.setSkinFile(skin()), 0);
  view_.setScheme("scheme_h1");
  ASSERT_TRUE(view_.images[4]);
  view_.setScheme("scheme_h2");
  EXPECT_EQ(view_.schemeIndex, 1);
  EXPECT_TRUE(std::none_of(view_.images.begin(), view_.images.end(), [](const auto& image) { return image.has_value(); }));
  EXPECT_EQ(view_.srcImageWidth, 0);

  view_.setScheme("scheme_h1");
  ASSERT_TRUE(view_.images[4]);
  fs::remove(skin() / "p.png");
  view_.setScheme("scheme_h1");  // the same scheme again: nothing read, pieces kept
  EXPECT_TRUE(view_.images[4]);
  view_.setScheme("no_such_scheme");
  EXPECT_FALSE(view_.images[4]);
  EXPECT_EQ(view_.schemeIndex, 0);
}

TEST_F(ViewTest, PicturesOutsideTheSkinFolderAreRefused) {
  const auto outside = temp_.path() / "x.png";
  kepskin::fixture::write_picture(outside, kepskin::fixture::grid_picture(10, 10, 0, 0, 0, 0));
  fs::create_directories(skin());
  fs::create_symlink(outside, skin() / "link.png");
  kepskin::fixture::write_picture(skin() / "sub" / "in.png", kepskin::fixture::grid_picture(10, 10, 0, 0, 0, 0));
  const struct {
    std::string pic;
    bool loads;
  } cases[] = {{"../x.png", false}, {outside.string(), false}, {"link.png", false},
               {"sub/../../x.png", false}, {"sub", false}, {"sub/in.png", true}, {"./sub/in.png", true}};
  for (const auto& item : cases) {
    kepskin::fixture::LogCapture log;
    write_skin_ini(skin(), "[scheme_h1]\npic = " + item.pic + "\n");
    ASSERT_EQ(view_.setSkinFile(skin()), 0);
    view_.setScheme("scheme_h1");
    EXPECT_EQ(view_.images[4].has_value(), item.loads) << item.pic;
    EXPECT_EQ(log.lines.empty(), item.loads) << item.pic;
  }
}

}  // namespace
