#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "candidatewindow/app/candidate_controller.h"
#include "candidatewindow/app/message_service.h"
#include "candidatewindow/app/notice_log.h"
#include "candidatewindow/app/tests/window_scratch.h"
#include "candidatewindow/protocol/ComData.h"
#include "candidatewindow/protocol/message_ids.h"
#include "candidatewindow/protocol/send_to_im.h"
#include "platform/files.h"
#include "platform/gfx/fonts.h"

namespace kepcandidatewindow {
namespace {

namespace fs = std::filesystem;
using platform::plist::Dictionary;
using platform::plist::Value;

std::string payload(std::initializer_list<std::pair<const char*, Value>> entries) {
  kepcandidate::ComData data;
  for (const auto& [key, value] : entries) data.setObject(value, key);
  return data.data();
}

std::string read_text(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class CandidateControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_.emplace(std::nullopt, 0);
    work_ = scratch_->path();
    controller_.awakeFromNib(registry_);
  }

  void activate(std::initializer_list<std::pair<const char*, Value>> entries) {
    controller_.handleMessage(kepcandidate::kKEPSMessageActivated, payload(entries));
  }
  void page(std::initializer_list<std::pair<const char*, Value>> entries) {
    controller_.handleMessage(kepcandidate::kKEPSMessageTextInput, payload(entries));
  }
  std::vector<platform::ui::Window*> windows() {
    return {&controller_.window, &controller_.statusWindow, &controller_.vmodePanel};
  }
  std::vector<std::uint64_t> sequences() {
    std::vector<std::uint64_t> all;
    for (auto* window : windows()) all.push_back(window->sequence());
    return all;
  }

  std::optional<candidate_test::WindowScratch> scratch_;
  fs::path work_;
  platform::ui::WindowRegistry registry_;
  CandidateController controller_;
};

TEST_F(CandidateControllerTest, StartsWithEveryWindowHiddenAndWritten) {
  for (auto* window : windows()) {
    EXPECT_FALSE(window->is_visible()) << window->name();
    EXPECT_EQ(window->sequence(), 1u) << window->name();
    EXPECT_EQ(registry_.find(window->name()), window);
  }
  EXPECT_TRUE(controller_.statusViewHidden);
}

TEST_F(CandidateControllerTest, PageWithoutCaretIsPlacedAtTheDefaultAndShown) {
  activate({{"PROCESS_ID", 4242}});
  page({{"CANDIDATES", "你好\x01你"}, {"X", 500}, {"PAGE", 1}, {"TOTAL_PAGE", 3}, {"PY", "nihao"}});
  EXPECT_EQ(controller_.view.x, 10);
  EXPECT_EQ(controller_.view.y, 15);
  ASSERT_TRUE(controller_.window.is_visible());
  EXPECT_EQ(controller_.window.frame(), controller_.view.windowFrame);
  const Dictionary& shows = controller_.window.shows();
  ASSERT_NE(shows.find("labels"), nullptr);
  const platform::plist::Array* labels = shows.find("labels")->as_array();
  ASSERT_NE(labels, nullptr);
  ASSERT_EQ(labels->size(), 2u);
  ASSERT_EQ(controller_.view.shownLabels.size(), 2u);
  for (std::size_t i = 0; i < labels->size(); ++i) {
    EXPECT_EQ(*(*labels)[i].as_string(), controller_.view.shownLabels[i]);
  }
  EXPECT_NE(controller_.view.shownLabels[0].find("你好"), std::string::npos);
  EXPECT_EQ(shows.find("page")->integer_value(), 1);
  EXPECT_EQ(shows.find("total")->integer_value(), 3);
  EXPECT_EQ(*shows.find("title")->as_string(), "nihao");
  std::error_code error;
  EXPECT_TRUE(fs::exists(*controller_.window.picture_path(error)));
}

TEST_F(CandidateControllerTest, InlineHeightOutsideItsRangeBecomesTheDefault) {
  for (auto [sent, kept] : {std::pair{10, 14}, {600, 14}, {11, 11}, {599, 599}}) {
    page({{"CANDIDATES", "好"}, {"INLINE_HEIGHT", sent}});
    EXPECT_EQ(controller_.view.inlineHeight, kept) << sent;
  }
}

TEST_F(CandidateControllerTest, IgnoredIdsAndUnparsablePayloadsChangeNothing) {
  activate({{"PROCESS_ID", 7}, {"FOREGROUND_COLOR", "ff0000"}});
  page({{"CANDIDATES", "好"}});
  const std::vector<std::uint64_t> before = sequences();
  const platform::gfx::Colour foreground = controller_.foregroundColor;
  const std::vector<std::string> labels = controller_.view.shownLabels;
  const std::string garbage = "<?xml version=\"1.0\"?><plist><dict><key>CANDIDATES";
  for (std::int32_t id : {102, 105, 112, 0, 99, 116, 999}) {
    controller_.handleMessage(id, payload({{"CANDIDATES", "坏"}, {"PROCESS_ID", 9}}));
  }
  for (std::int32_t id : {100, 106, 113}) controller_.handleMessage(id, garbage);
  page({{"PAGE", 4}});  // no CANDIDATES
  EXPECT_EQ(sequences(), before);
  EXPECT_TRUE(controller_.window.is_visible());
  EXPECT_EQ(controller_.view.shownLabels, labels);
  EXPECT_EQ(controller_.foregroundColor, foreground);
  EXPECT_EQ(kepcandidate::serverProcessId(), 7);
}

TEST_F(CandidateControllerTest, NoticesBecomeLinesOfTheNoticeLog) {
  std::error_code error;
  const fs::path log = *noticeLogPath(error);
  for (const char* refused : {"a:b:c", "no colon", "ends:", ""}) {
    controller_.handleMessage(kepcandidate::kKEPSGrowl, refused);
  }
  controller_.handleMessage(kepcandidate::kKEPSGrowl, std::string(10241, 'x'));
  EXPECT_FALSE(fs::exists(log));
  controller_.handleMessage(kepcandidate::kKEPSGrowl, "Dictionary:updated\nnow");
  controller_.handleMessage(kepcandidate::kKEPSGrowl, ":nameless");
  EXPECT_EQ(read_text(log), "Dictionary: updated now\n: nameless\n");
}

TEST_F(CandidateControllerTest, ActivationWithoutProcessIdKeepsOnlyTheModes) {
  activate({{"PROCESS_ID", 11}, {"FORMAT_STRING", "%d.%@"}, {"SHADOW", true}});
  activate({{"IME_MODE", 2}, {"SCHEME_MODE", 1}, {"FORMAT_STRING", "[%d]%@"}, {"SHADOW", false},
            {"FONT_SIZE", 30}});
  EXPECT_EQ(controller_.imeMode, 2);
  EXPECT_EQ(controller_.schemeMode, 1);
  EXPECT_EQ(kepcandidate::serverProcessId(), 11);
  EXPECT_EQ(controller_.labelFormat, "%d.%@");
  EXPECT_EQ(controller_.view.labelFormat, "%d.%@");
  EXPECT_TRUE(controller_.view.hasShadow);
  EXPECT_EQ(controller_.fontHeight, 16);
}

TEST_F(CandidateControllerTest, PlainSettingsReachTheView) {
  activate({{"PROCESS_ID", 5}, {"FONT_NAME", "no such font at all"}, {"FONT_SIZE", 22},
            {"FOREGROUND_COLOR", "102030"}, {"BACKGROUND_COLOR", "ff8000"}, {"ALPHA", 0.5}});
  EXPECT_EQ(controller_.font.name, "Hei");  // an unknown font falls back to Hei at 16
  EXPECT_EQ(controller_.fontHeight, 16);
  EXPECT_EQ(controller_.view.plain.fontHeight, 16);
  EXPECT_FLOAT_EQ(controller_.alpha, 0.5f);
  EXPECT_EQ(controller_.view.plain.foreground, (platform::gfx::Colour{0x10 / 255.0, 0x20 / 255.0, 0x30 / 255.0, 1}));
  EXPECT_EQ(controller_.view.plain.background, (platform::gfx::Colour{1, 0x80 / 255.0, 0, 0.5}));
  if (platform::gfx::resolve_family("Arial")) {
    activate({{"PROCESS_ID", 5}, {"FONT_NAME", "Arial"}, {"FONT_SIZE", 22}});
    EXPECT_EQ(controller_.font.name, "Arial");
    EXPECT_EQ(controller_.view.plain.fontHeight, 22);
  }
}

TEST_F(CandidateControllerTest, SkinModeWithAMissingSkinUsesThePlainStyle) {
  activate({{"PROCESS_ID", 5}, {"SCHEME_MODE", 2}, {"SKIN", (work_ / "gone").string()},
            {"BACKGROUND_COLOR", "00ff00"}, {"HIDE_STATUS_BAR", false}});
  EXPECT_EQ(controller_.schemeMode, 0);
  EXPECT_EQ(controller_.fontHeight, 16);
  EXPECT_EQ(controller_.view.plain.background, (platform::gfx::Colour{0, 1, 0, 1}));
  EXPECT_TRUE(controller_.statusViewHidden);
  EXPECT_FALSE(controller_.statusWindow.is_visible());
}

TEST_F(CandidateControllerTest, SkinModeWithoutAnySkinDrawsThePlainBox) {
  activate({{"PROCESS_ID", 5}, {"SCHEME_MODE", 1}, {"BACKGROUND_COLOR", "0000ff"}});
  EXPECT_EQ(controller_.schemeMode, 1);
  EXPECT_TRUE(controller_.statusViewHidden);
  page({{"CANDIDATES", "好\x01号"}, {"X", 300}, {"Y", 400}});
  EXPECT_FALSE(controller_.view.layerImage);
  std::optional<platform::gfx::Surface> picture = controller_.window.render();
  ASSERT_TRUE(picture);
  // The plain box: a transparent margin, the background colour just inside its left edge.
  EXPECT_EQ(picture->pixel(0, 0).alpha, 0);
  EXPECT_EQ(picture->pixel(picture->width() - 1, picture->height() - 1).alpha, 0);
  const platform::gfx::Pixel inside = picture->pixel(11, picture->height() / 2);
  EXPECT_EQ(inside, (platform::gfx::Pixel{0, 0, 255, 255}));
}

TEST_F(CandidateControllerTest, StatusBarInSkinModeFollowsHideStatusBar) {
  const fs::path skin = work_ / "skin";
  fs::create_directories(skin);
  std::error_code error;
  ASSERT_TRUE(platform::files::write_atomic(skin / "skin.ini",
                                            "[General]\nname=t\n[Display]\nfont_size=14\n", error));
  Dictionary status;
  status.set("ENGLISH", true);

  activate({{"PROCESS_ID", 5}, {"SCHEME_MODE", 1}, {"SKIN", skin.string()}, {"STATUS", status}});
  EXPECT_TRUE(controller_.view.dictionary);
  EXPECT_EQ(controller_.view.schemeName, "scheme_h1");
  EXPECT_EQ(controller_.schemeMode, 1);
  EXPECT_EQ(controller_.fontHeight, 0);
  EXPECT_TRUE(controller_.statusViewHidden);  // absent hides in skin mode
  EXPECT_FALSE(controller_.statusWindow.is_visible());

  // 113 while hidden changes nothing, not even the buttons' states.
  const std::uint64_t sequence = controller_.statusWindow.sequence();
  controller_.handleMessage(kepcandidate::kKEPSUpdateStatus, payload({{"STATUS", status}}));
  EXPECT_TRUE(controller_.statusButtons.empty());
  EXPECT_EQ(controller_.statusWindow.sequence(), sequence);

  activate({{"PROCESS_ID", 5}, {"SCHEME_MODE", 1}, {"SKIN", skin.string()}, {"HIDE_STATUS_BAR", 0},
            {"STATUS", status}});
  EXPECT_FALSE(controller_.statusViewHidden);
  EXPECT_TRUE(controller_.statusWindow.is_visible());
  EXPECT_TRUE(controller_.statusWindow.is_key());
  EXPECT_EQ(controller_.statusButtons, status);

  // A folder without skin.ini fails to load yet counts as a skin folder: the status bar rule
  // still applies.
  const fs::path empty = work_ / "empty";
  fs::create_directories(empty);
  activate({{"PROCESS_ID", 5}, {"SCHEME_MODE", 2}, {"SKIN", empty.string()}, {"HIDE_STATUS_BAR", true}});
  EXPECT_EQ(controller_.schemeMode, 2);
  EXPECT_TRUE(controller_.statusViewHidden);
  EXPECT_FALSE(controller_.statusWindow.is_visible());
}

TEST_F(CandidateControllerTest, VisibilityMessages) {
  page({{"CANDIDATES", "好"}});
  controller_.handleMessage(kepcandidate::kKEPSMessageHiddenCandidateWindow, "");
  EXPECT_FALSE(controller_.window.is_visible());
  controller_.handleMessage(kepcandidate::kKEPSMessageShowCandidateWindow, "");
  EXPECT_TRUE(controller_.window.is_visible());
  controller_.vmodePanel.order_front();
  controller_.handleMessage(kepcandidate::kKEPSMessageDeactivated, "");
  for (auto* window : windows()) EXPECT_FALSE(window->is_visible()) << window->name();
  std::error_code error;
  std::optional<Value> state = platform::plist::read_file(*controller_.window.state_path(error), error);
  ASSERT_TRUE(state && state->as_dictionary());
  EXPECT_EQ(state->as_dictionary()->find("visible")->bool_value(), false);
  page({{"CANDIDATES", "好"}});
  EXPECT_TRUE(controller_.window.is_visible());
}

TEST_F(CandidateControllerTest, OneProgramServesTheWindowPort) {
  platform::RunLoop loop;
  std::error_code error;
  auto first = registerMessageService(controller_, loop, error);
  ASSERT_TRUE(first) << error.message();
  CandidateController second;
  auto refused = registerMessageService(second, loop, error);
  EXPECT_FALSE(refused);
  EXPECT_EQ(error, std::errc::address_in_use);
}

}  // namespace
}  // namespace kepcandidatewindow
