// The about window: its version line and credits from the bundle's resources, where it opens,
// the flip to the credits and back, and its links.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "CoreSource/tests/engine_test_support.h"
#include "IMKKEP/windows/FliprView.h"
#include "IMKKEP/windows/KEPAbout.h"
#include "loop_wait.h"
#include "platform/runloop.h"
#include "workspace_requests.h"

namespace {

namespace fs = std::filesystem;
class AboutWindowTest : public ::testing::Test {
 protected:
  void write(const std::string& name, const std::string& text) {
    fs::create_directories(resources_);
    std::ofstream(resources_ / name, std::ios::binary) << text;
  }

  fs::path picture(const std::string& window) const {
    return render_.path() / "windows/IMKKEP" / (window + ".png");
  }

  engine_test::TempDir runtime_;
  engine_test::TempDir render_;
  engine_test::TempDir bundle_;
  engine_test::ScopedEnv runtime_env_{"KEP_RUNTIME_DIR", runtime_.path().string()};
  engine_test::ScopedEnv render_env_{"KEP_RENDER_DIR", render_.path().string()};
  engine_test::ScopedEnv screens_{"KEP_SCREENS", "0,0,1000,800"};
  fs::path resources_ = bundle_.path() / "Resources";
  platform::RunLoop loop_;
};

TEST_F(AboutWindowTest, TheVersionLineTakesExactlyFourWords) {
  struct Case {
    const char* file;
    const char* shown;
  } cases[] = {
      {"2 0 1 beta", "2.0.1 beta"},
      {"2 0 1 beta\n", "2.0.1 beta"},
      {"2 0 1", imkkep::kUnknownVersion},
      {"2 0 1 beta 7", imkkep::kUnknownVersion},
      {"2  0 1 beta", imkkep::kUnknownVersion},
      {"", imkkep::kUnknownVersion},
      {"2 0 1 \xff", imkkep::kUnknownVersion},
  };
  for (const Case& c : cases) {
    write("kepver.txt", c.file);
    EXPECT_EQ(imkkep::KEPVersionString(resources_), c.shown) << c.file;
  }
  fs::remove(resources_ / "kepver.txt");
  EXPECT_EQ(imkkep::KEPVersionString(resources_), imkkep::kUnknownVersion);
  EXPECT_EQ(imkkep::KEPVersionString({}), imkkep::kUnknownVersion);
}

TEST_F(AboutWindowTest, CreditsComeFromTheRtfResourceElseFromTheBuiltInList) {
  const std::string built_in = imkkep::KEPCreditsText({});
  EXPECT_NE(built_in.find("The KEP input method team\n"), std::string::npos);
  EXPECT_EQ(built_in.back(), '\n');
  write("ack.rtf", "{\\rtf1\\ansi Thanks to\\par the testers}");
  EXPECT_EQ(imkkep::KEPCreditsText(resources_), "Thanks to\nthe testers");
  write("ack.rtf", "plain text, not rtf");
  EXPECT_EQ(imkkep::KEPCreditsText(resources_), built_in);
}

TEST_F(AboutWindowTest, OpensAboveTheMiddleOfTheMainScreenWithTheVersion) {
  write("kepver.txt", "2 0 1 beta");
  imkkep::KEPAbout about(loop_, nullptr, resources_);
  EXPECT_EQ(about.versionString().text(), "2.0.1 beta");
  EXPECT_FALSE(about.ackView().is_editable());
  about.showAbout();
  const platform::ui::Window& front = about.aboutWindow();
  EXPECT_TRUE(front.is_visible());
  EXPECT_TRUE(front.is_key());
  EXPECT_EQ(front.level(), platform::ui::kPopUpMenuWindowLevel);
  EXPECT_EQ(about.ackWindow().level(), platform::ui::kPopUpMenuWindowLevel);
  EXPECT_EQ(front.frame(), (platform::ui::Rect{(1000 - 360) / 2.0, (800 - 220) / 2.0 + 50, 360, 220}));
  EXPECT_TRUE(fs::exists(picture("about")));
  about.closeAbout();
  EXPECT_FALSE(front.is_visible());
}

TEST_F(AboutWindowTest, TheFlipEndsOnTheCreditsFaceAndTurnsBack) {
  imkkep::KEPAbout about(loop_, nullptr, resources_);
  about.showAbout();
  about.showAck();
  imkkep::FlippingWindow* flipping = imkkep::FlippingWindow::shared();
  ASSERT_NE(flipping, nullptr);
  EXPECT_TRUE(flipping->view().isFlipping());
  EXPECT_TRUE(flipping->window().is_visible());
  EXPECT_FALSE(about.aboutWindow().is_visible());
  EXPECT_EQ(about.ackWindow().alpha(), 0);
  // The flipping window is placed so the face lands on its turning rectangle.
  EXPECT_EQ(flipping->window().frame().x, about.aboutWindow().frame().x - 64);
  EXPECT_EQ(flipping->view().originalRect().width, 360);
  EXPECT_TRUE(fs::exists(picture("flip")));

  // The flip ends when its animation reaches its end, however long that takes here.
  ASSERT_TRUE(server_test::run_until(loop_, [&] { return !flipping->view().isFlipping(); }));
  EXPECT_FALSE(flipping->window().is_visible());
  const platform::ui::Window& back = about.ackWindow();
  EXPECT_TRUE(back.is_visible());
  EXPECT_TRUE(back.is_key());
  EXPECT_EQ(back.alpha(), 1);
  EXPECT_EQ(back.frame(), about.aboutWindow().frame());
  EXPECT_TRUE(fs::exists(picture("ack")));
  const auto requests = server_test::workspace_requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0], std::vector<std::string>{"hide-cursor"});
  EXPECT_EQ(requests[1], std::vector<std::string>{"unhide-cursor"});

  about.showBackAbout();
  imkkep::FlippingWindow* back_flip = imkkep::FlippingWindow::shared();
  ASSERT_NE(back_flip, nullptr);
  EXPECT_TRUE(back_flip->view().isFlipping());
  ASSERT_TRUE(server_test::run_until(loop_, [&] { return !back_flip->view().isFlipping(); }));
  EXPECT_TRUE(about.aboutWindow().is_visible());
  EXPECT_FALSE(back.is_visible());
}

TEST_F(AboutWindowTest, LinksOpenTheirPagesAndShowTheHandWhileHovered) {
  imkkep::KEPAbout about(loop_, nullptr, resources_);
  about.showAbout();
  imkkep::KEPAboutFace& front = about.aboutWindow();
  imkkep::LinkFieldView& blog = about.linkField1();
  const platform::ui::Point middle = blog.convert_to_window({10, 9});

  // The first tracking rectangle of the face is the first link's.
  ASSERT_TRUE(front.handle_tracking(1, true));
  EXPECT_TRUE(blog.hover());
  EXPECT_EQ(front.cursor(), "pointing-hand");
  ASSERT_TRUE(front.handle_tracking(1, false));
  EXPECT_FALSE(blog.hover());
  EXPECT_EQ(front.cursor(), "arrow");

  front.handle_mouse({platform::ui::MouseEventType::Down, middle, 1});
  front.handle_mouse({platform::ui::MouseEventType::Up, middle, 1});
  auto requests = server_test::workspace_requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0][0], "open-url");
  EXPECT_NE(requests[0][1].find("https://"), std::string::npos);

  blog.setText("");  // ignored
  EXPECT_FALSE(blog.text().empty());
  blog.setText(imkkep::LinkFieldView::kNotDefined);
  front.handle_mouse({platform::ui::MouseEventType::Down, middle, 1});
  EXPECT_EQ(server_test::workspace_requests().size(), 1u);
}

}  // namespace
