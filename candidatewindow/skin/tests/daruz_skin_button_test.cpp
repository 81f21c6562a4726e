#include "candidatewindow/skin/daruz_skin_button.h"

#include <gtest/gtest.h>

#include "candidatewindow/skin/q_borderless_view.h"
#include "candidatewindow/skin/tests/log_capture.h"
#include "candidatewindow/skin/tests/skin_fixture.h"
#include "platform/tests/test_support.h"

namespace {

namespace fs = std::filesystem;
using kepskin::fixture::plain_picture;
using kepskin::fixture::write_picture;
using kepskin::fixture::write_skin_ini;
using platform::gfx::Pixel;

class ButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    write_picture(folder() / "n.png", plain_picture(6, 4, kNormal));
    write_picture(folder() / "h.png", plain_picture(3, 3, kHover));
  }
  fs::path folder() const { return temp_.path() / "skin"; }

  static constexpr Pixel kNormal{10, 20, 30, 255};
  static constexpr Pixel kHover{200, 0, 0, 255};
  platform::testing_support::TempDir temp_;
  kepskin::fixture::LogCapture log_;
};

TEST_F(ButtonTest, SchemeKeepsTheButtonsThatLoad) {
  write_skin_ini(folder(),
                 "[scheme_v1]\ncustom_cnt = 4\n"
                 "custom0_display = 1\ncustom0_align = 1,2,3,4,5,6,7,8,9,10,11\ncustom0 = n.png\n"
                 "custom1_display = 1\ncustom1 = n.png\n"  // no align: dropped
                 "custom2_display = 1\ncustom2_align = 0x10\ncustom2 = n.png\ncustom2_hover = h.png\n"
                 "custom3_display = 0\ncustom3_align = 1\ncustom3 = n.png\n"  // hidden
                 "[scheme_h1]\ncustom_cnt = 1\ncustom0_display = 1\ncustom0_align = 1\n");  // no picture name
  kepskin::QBorderlessView view;
  ASSERT_EQ(view.setSkinFile(folder()), 0);
  view.setScheme("scheme_v1");
  ASSERT_EQ(view._buttons.size(), 2u);
  const auto& first = view._buttons[0];
  EXPECT_EQ((std::array<int, 10>{first.topMargin, first.bottomMargin, first.leftMargin, first.rightMargin,
                                 first.topAlign, first.bottomAlign, first.leftAlign, first.rightAlign,
                                 first.alignArea, first.alignWindow}),
            (std::array<int, 10>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(view._buttons[1].topMargin, 16);
  ASSERT_TRUE(view._buttons[1].hoverImage);
  EXPECT_EQ(view._buttons[1].hoverImage->pixel(0, 0), kHover);

  view.setScheme("scheme_h1");
  EXPECT_TRUE(view._buttons.empty());
  view.setScheme("scheme_v1");
  EXPECT_EQ(view._buttons.size(), 2u);
  view.setScheme("scheme_v2");  // no layout read: no buttons
  EXPECT_TRUE(view._buttons.empty());
}

TEST_F(ButtonTest, ShortAlignListLeavesTheRestZero) {
  write_skin_ini(folder(), "[scheme_h1]\ncustom0_display = 1\ncustom0_align = 1,2\ncustom0 = n.png\n");
  kepskin::QBorderlessView view;
  ASSERT_EQ(view.setSkinFile(folder()), 0);
  kepskin::DaruzSkinButton button;
  ASSERT_TRUE(button.loadWithParser(view.dictionary.get(), folder(), 0, 0));
  EXPECT_EQ(button.topMargin, 1);
  EXPECT_EQ(button.bottomMargin, 2);
  for (int value : {button.leftMargin, button.rightMargin, button.topAlign, button.bottomAlign, button.leftAlign,
                    button.rightAlign, button.alignArea, button.alignWindow})
    EXPECT_EQ(value, 0);
}

TEST_F(ButtonTest, HoverAndDownDefaultToCopiesOfTheNormalPicture) {
  const struct {
    const char* extra;
    bool has_normal;
  } cases[] = {
      {"", true},
      {"custom0_hover = missing.png\ncustom0_down = ../n.png\n", true},  // unreadable or refused: copies
      {"", false},
  };
  for (const auto& item : cases) {
    write_skin_ini(folder(), std::string("[scheme_h1]\ncustom0_display = 1\ncustom0_align = 0\ncustom0 = ") +
                                 (item.has_normal ? "n.png" : "absent.png") + "\n" + item.extra);
    kepskin::QBorderlessView view;
    ASSERT_EQ(view.setSkinFile(folder()), 0);
    kepskin::DaruzSkinButton button;
    ASSERT_TRUE(button.loadWithParser(view.dictionary.get(), folder(), 0, 0)) << item.extra;
    if (!item.has_normal) {
      EXPECT_FALSE(button.image);
      EXPECT_FALSE(button.hoverImage);
      EXPECT_FALSE(button.downImage);
      continue;
    }
    for (const auto* picture : {&button.image, &button.hoverImage, &button.downImage}) {
      ASSERT_TRUE(*picture) << item.extra;
      EXPECT_EQ((*picture)->width(), 6);
      EXPECT_EQ((*picture)->height(), 4);
      EXPECT_EQ((*picture)->pixel(5, 3), kNormal);
    }
    // Copies, not shared pixels.
    button.hoverImage->set_pixel(0, 0, kHover);
    EXPECT_EQ(button.image->pixel(0, 0), kNormal);
    EXPECT_EQ(button.downImage->pixel(0, 0), kNormal);
  }
}

}  // namespace
