#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/ui/window.h"
#include "type_screen.h"
#include "window_page.h"

namespace kep_type {
namespace {

namespace fs = std::filesystem;

class WindowPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/kep-type-window.XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    render_ = folder;
    setenv("KEP_RENDER_DIR", folder, 1);
  }
  void TearDown() override {
    unsetenv("KEP_RENDER_DIR");
    std::error_code ignored;
    fs::remove_all(render_, ignored);
  }

  // The candidate window as the window program writes it.
  void write_window(bool visible, std::vector<std::string> labels, int page, int total) {
    platform::ui::Window window("IMKKEPCandidateWindow", "candidate", {10, 10, 40, 20});
    platform::plist::Array shown;
    for (auto& label : labels) shown.emplace_back(label);
    window.show("labels", std::move(shown));
    window.show("page", page);
    window.show("total", total);
    if (visible) window.order_front();
    std::error_code error;
    ASSERT_TRUE(window.display(error)) << error.message();
  }

  fs::path render_;
};

TEST_F(WindowPageTest, NothingWrittenYetIsNoPage) {
  EXPECT_FALSE(read_window_page(render_));
  fs::create_directories(candidate_state_path(render_).parent_path());
  std::ofstream(candidate_state_path(render_)) << "not a property list";
  EXPECT_FALSE(read_window_page(render_));
}

TEST_F(WindowPageTest, LabelsPagesAndPictureOfTheShownWindow) {
  write_window(true, {"1你好", "2你"}, 1, 3);
  std::optional<WindowPage> page = read_window_page(render_);
  ASSERT_TRUE(page);
  EXPECT_TRUE(page->visible);
  EXPECT_EQ(page->labels, (std::vector<std::string>{"1你好", "2你"}));
  EXPECT_EQ(page->page, 1);
  EXPECT_EQ(page->total, 3);
  EXPECT_GT(page->sequence, 0u);
  EXPECT_TRUE(fs::exists(page->picture)) << page->picture;
  EXPECT_EQ(window_page_line(*page), "1你好 2你 (1/3)  [" + page->picture.string() + "]");
}

TEST_F(WindowPageTest, HiddenWindowShowsNoCandidates) {
  write_window(false, {"1你好"}, 1, 1);
  std::optional<WindowPage> page = read_window_page(render_);
  ASSERT_TRUE(page);
  EXPECT_FALSE(page->visible);
  EXPECT_EQ(window_page_line(*page).rfind("(no candidates)  [", 0), 0u);
}

TEST_F(WindowPageTest, ScreenRepeatsTheWindowProgramsLabelsInsteadOfItsOwnLine) {
  write_window(true, {"1好"}, 1, 1);
  std::optional<WindowPage> page = read_window_page(render_);
  ASSERT_TRUE(page);
  TypeDocument document(64);
  CandidateStrip strip;
  ScreenState state;
  state.document = &document;
  state.strip = &strip;
  state.window_program_serves = true;
  TypeScreen screen;
  EXPECT_NE(screen.draw(state, 200).find("the candidate window shows the candidates"),
            std::string::npos);
  state.window_page = &*page;
  const std::string drawn = screen.draw(state, 200);
  EXPECT_NE(drawn.find("1好  ["), std::string::npos) << drawn;
}

}  // namespace
}  // namespace kep_type
