#include "candidatewindow/app/q_status_view.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "candidatewindow/app/candidate_controller.h"
#include "candidatewindow/app/tests/status_bar_fixture.h"
#include "candidatewindow/app/tests/window_scratch.h"
#include "candidatewindow/protocol/ComData.h"
#include "candidatewindow/protocol/message_ids.h"
#include "candidatewindow/protocol/send_to_im.h"
#include "candidatewindow/protocol/status_message.h"
#include "candidatewindow/skin/skin_ini.h"
#include "platform/ports.h"
#include "platform/runloop.h"
#include "platform/workspace.h"

namespace kepcandidatewindow {
namespace {

namespace fs = std::filesystem;
using platform::plist::Dictionary;
using platform::ui::MouseEvent;
using platform::ui::MouseEventType;

constexpr int kWindowHeight = fixture::kBackgroundHeight + 15;

int button_number(std::string_view name) {
  for (std::size_t i = 0; i < kStatusItemNames.size(); ++i)
    if (name == kStatusItemNames[i]) return static_cast<int>(i);
  throw std::runtime_error("no such button");
}

// A point inside the button in window points (y up).
platform::ui::Point centre_of(std::string_view name) {
  const double x = button_number(name) * 18 + fixture::kButtonSide / 2.0;
  const double y_down = 4 + fixture::kButtonSide / 2.0;
  return {x, kWindowHeight - y_down};
}

std::string skin_ini(std::string_view webpage_url = "https://example.org/help") {
  std::string text = "[StatusBar]\npic=bar.png\n";
  for (const char* name : {"biaodian", "cn_en", "fan_jian", "quan_ban", "quan_shuang", "menu"})
    text += fixture::button_section(name, button_number(name));
  text += fixture::button_section("webpage", button_number("webpage"),
                                  "webpage_url=" + std::string(webpage_url) + "\nwebpage_hint=Help\n");
  return text;
}

void write_standard_skin(const fs::path& folder, std::string_view webpage_url = "https://example.org/help") {
  fixture::write_status_skin(folder, skin_ini(webpage_url),
                             {"biaodian", "cn_en", "fan_jian", "passport", "quan_ban", "menu",
                              "quan_shuang", "softkeyboard", "riduvezoviz", "webpage"});
}

class QStatusViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_.emplace("0,0,1440,900,100,40,1300,838", static_cast<std::int32_t>(getpid()));
    work_ = scratch_->path();
  }

  void click(std::string_view name) {
    window_.handle_mouse(MouseEvent{MouseEventType::Down, centre_of(name)});
    window_.handle_mouse(MouseEvent{MouseEventType::Up, centre_of(name)});
  }
  int status_of(std::string_view name) {
    const QStatusItem* item = view_.item(name);
    return item ? item->status : -1;
  }
  // The rendered pixel at the middle of the button.
  platform::gfx::Pixel shown_pixel(std::string_view name) {
    auto picture = window_.render();
    if (!picture) throw std::runtime_error("no picture");
    const platform::ui::Point centre = centre_of(name);
    return picture->pixel(static_cast<int>(centre.x), static_cast<int>(kWindowHeight - centre.y));
  }

  std::optional<candidate_test::WindowScratch> scratch_;
  fs::path work_;
  kepskin::QRoundWindow window_{"kep-status-test", "status", {0, 0, 1, 1}};
  QStatusView view_{window_};
};

TEST(GetStringsByComma, SplitsTrimsAndRefusesLongEntries) {
  struct Case {
    std::string text;
    std::vector<std::string> entries;
  };
  const std::vector<Case> cases = {
      {"a.png", {"a.png"}},
      {"a.png,  b.png", {"a.png", "b.png"}},
      {"a.png,,c.png", {"a.png", ".", "c.png"}},
      {"", {"."}},
      {" \t x.png ,y", {"x.png ", "y"}},
      {std::string(511, 'n'), {std::string(511, 'n')}},
  };
  for (const Case& each : cases) {
    const auto entries = GetStringsByComma(each.text);
    ASSERT_TRUE(entries) << each.text;
    EXPECT_EQ(*entries, each.entries) << each.text;
  }
  EXPECT_FALSE(GetStringsByComma("a.png," + std::string(512, 'n')));
}

TEST_F(QStatusViewTest, LoadsButtonsInOrderAtTheLowerRightOfTheVisibleFrame) {
  write_standard_skin(work_ / "skin");
  ASSERT_EQ(view_.setSkinFile(work_ / "skin"), 0);

  std::vector<std::string> names;
  for (const QStatusItem& item : view_.items()) names.push_back(item.key);
  EXPECT_EQ(names, (std::vector<std::string>{"biaodian", "cn_en", "fan_jian", "passport", "quan_ban", "menu",
                                             "quan_shuang", "softkeyboard", "riduvezoviz", "webpage"}));
  EXPECT_FALSE(view_.item("passport")->enabled);
  for (const char* shown : {"biaodian", "cn_en", "menu", "webpage"}) {
    EXPECT_TRUE(view_.item(shown)->enabled) << shown;
    EXPECT_EQ(status_of(shown), 0) << shown;
    EXPECT_EQ(shown_pixel(shown), fixture::button_colour(button_number(shown), 0)) << shown;
  }
  EXPECT_EQ(window_.tool_tip(), "Help");

  const double width = fixture::kBackgroundWidth + 15;
  const platform::ui::Rect expected{100 + 1300 - width - 60, 40 + 10, width, kWindowHeight};
  EXPECT_EQ(window_.frame(), expected);
}

TEST_F(QStatusViewTest, ServerStatusSetsTheButtonsAndEnglishWinsOverPunctuation) {
  write_standard_skin(work_ / "skin");
  ASSERT_EQ(view_.setSkinFile(work_ / "skin"), 0);

  view_.setStatus(Dictionary{});
  EXPECT_EQ(status_of("biaodian"), 0);
  EXPECT_EQ(status_of("cn_en"), 0);
  EXPECT_EQ(status_of("fan_jian"), 1);
  EXPECT_EQ(status_of("quan_ban"), 1);
  EXPECT_EQ(status_of("quan_shuang"), 0);
  EXPECT_EQ(shown_pixel("fan_jian"), fixture::button_colour(button_number("fan_jian"), 1));

  Dictionary status;
  status.set("FULL_WIDTH_PUNCT", true);
  status.set("ENGLISH", true);
  status.set("TRADITIONAL", true);
  status.set("FULL_WIDTH_ROMAN", true);
  status.set("PINYIN", false);
  view_.setStatus(status);
  EXPECT_EQ(status_of("biaodian"), 1);
  EXPECT_EQ(status_of("cn_en"), 1);
  EXPECT_EQ(status_of("fan_jian"), 0);
  EXPECT_EQ(status_of("quan_ban"), 0);
  EXPECT_EQ(status_of("quan_shuang"), 1);
  EXPECT_EQ(shown_pixel("cn_en"), fixture::button_colour(button_number("cn_en"), 1));

  const platform::plist::Value* items = window_.shows().find("items");
  ASSERT_TRUE(items);
  EXPECT_EQ(items->as_dictionary()->find("quan_shuang")->as_dictionary()->find("status")->integer_value(), 1);
}

class StatusServer {
 public:
  StatusServer() {
    std::error_code error;
    port_ = platform::ports::LocalPort::create(
        *kepcandidate::serverPortName(getpid()),
        [this](std::int32_t id, std::string_view data) -> std::optional<std::string> {
          received.emplace_back(id, std::string(data));
          loop_.stop();
          return std::nullopt;
        },
        loop_, error);
    if (!port_) throw std::runtime_error("cannot serve: " + error.message());
  }
  void wait_for_one() { loop_.run_for(std::chrono::seconds(5)); }

  std::vector<std::pair<std::int32_t, std::string>> received;

 private:
  platform::RunLoop loop_;
  std::unique_ptr<platform::ports::LocalPort> port_;
};

TEST_F(QStatusViewTest, ClickOnLanguageSendsOnlyEnglishAndDecorativeButtonsSendNothing) {
  write_standard_skin(work_ / "skin");
  ASSERT_EQ(view_.setSkinFile(work_ / "skin"), 0);
  StatusServer server;

  click("menu");
  EXPECT_EQ(status_of("menu"), 1);
  EXPECT_EQ(shown_pixel("menu"), fixture::button_colour(button_number("menu"), 1));
  click("cn_en");
  server.wait_for_one();

  // The menu's click sent nothing: the only message is the language's.
  ASSERT_EQ(server.received.size(), 1u);
  EXPECT_EQ(server.received[0].first, kepcandidate::kKEPSUpdateStatus);
  const auto status = kepcandidate::readStatusMessage(server.received[0].second);
  ASSERT_TRUE(status);
  Dictionary expected;
  expected.set("ENGLISH", true);
  EXPECT_EQ(*status, expected);
  EXPECT_EQ(status_of("cn_en"), 1);
  EXPECT_EQ(status_of("biaodian"), 1);  // English shows half-width punctuation
  EXPECT_EQ(shown_pixel("biaodian"), fixture::button_colour(button_number("biaodian"), 1));
}

TEST_F(QStatusViewTest, ClickOnAStateButtonSendsItsKeyWithTheNewValue) {
  write_standard_skin(work_ / "skin");
  ASSERT_EQ(view_.setSkinFile(work_ / "skin"), 0);
  StatusServer server;
  struct Case {
    const char* button;
    const char* key;
    bool value;  // after one click from state 0
  };
  for (const Case& each : {Case{"biaodian", "FULL_WIDTH_PUNCT", false}, Case{"fan_jian", "TRADITIONAL", false},
                           Case{"quan_ban", "FULL_WIDTH_ROMAN", false}, Case{"quan_shuang", "PINYIN", false}}) {
    server.received.clear();
    click(each.button);
    server.wait_for_one();
    ASSERT_EQ(server.received.size(), 1u) << each.button;
    Dictionary expected;
    expected.set(each.key, each.value);
    EXPECT_EQ(kepcandidate::readStatusMessage(server.received[0].second), expected) << each.button;
  }
}

TEST_F(QStatusViewTest, WebPageOpensOnlyWebAddresses) {
  struct Case {
    const char* url;
    bool recorded;
  };
  int skin = 0;
  for (const Case& each : {Case{"https://example.org/help", true}, Case{"file:///etc/passwd", false},
                           Case{"javascript:alert(1)", false}}) {
    const fs::path folder = work_ / ("skin" + std::to_string(skin++));
    write_standard_skin(folder, each.url);
    ASSERT_EQ(view_.setSkinFile(folder), 0) << each.url;
    std::error_code error;
    const std::size_t before = platform::workspace::read_log(error).size();
    click("webpage");
    const auto log = platform::workspace::read_log(error);
    ASSERT_EQ(log.size(), before + (each.recorded ? 1 : 0)) << each.url;
    if (each.recorded) {
      const std::vector<std::string>& line = log.back();
      EXPECT_NE(std::find(line.begin(), line.end(), "open-url"), line.end());
      EXPECT_EQ(line.back(), each.url);
    }
  }
}

TEST_F(QStatusViewTest, FailedReloadKeepsThePreviousSkin) {
  write_standard_skin(work_ / "good");
  ASSERT_EQ(view_.setSkinFile(work_ / "good"), 0);
  view_.setStatus(Dictionary{});
  const auto background = view_.background()->png_bytes();

  fixture::write_status_skin(work_ / "nopic", "[StatusBar]\nbiaodian_display=1\nbiaodian=biaodian_0.png\n",
                             {"biaodian"});
  fixture::write_status_skin(work_ / "badpic", "[StatusBar]\npic=missing.png\n", {});
  fs::create_directories(work_ / "noini");
  fixture::write_status_skin(work_ / "escape", "[StatusBar]\npic=../good/bar.png\n", {});
  struct Case {
    const char* folder;
    int code;
  };
  for (const Case& each : {Case{"nopic", kStatusNoBackground}, Case{"badpic", kStatusBackgroundUnreadable},
                           Case{"escape", kStatusBackgroundUnreadable}, Case{"noini", kepskin::kSkinNoIni},
                           Case{"absent", kepskin::kSkinNoFolder}}) {
    EXPECT_EQ(view_.setSkinFile(work_ / each.folder), each.code) << each.folder;
    EXPECT_EQ(view_.filePath(), work_ / "good") << each.folder;
    EXPECT_EQ(view_.items().size(), kStatusItemNames.size()) << each.folder;
    EXPECT_EQ(status_of("fan_jian"), 1) << each.folder;
    EXPECT_EQ(view_.background()->png_bytes(), background) << each.folder;
    EXPECT_EQ(shown_pixel("fan_jian"), fixture::button_colour(button_number("fan_jian"), 1)) << each.folder;
  }

  // A failed folder is not remembered: once repaired it loads.
  fixture::write_file(work_ / "badpic" / "skin.ini", skin_ini());
  write_standard_skin(work_ / "badpic");
  EXPECT_EQ(view_.setSkinFile(work_ / "badpic"), 0);
  EXPECT_EQ(view_.filePath(), work_ / "badpic");
}

// A picture for cn_en's state 0 that no fixture button has.
constexpr platform::gfx::Pixel kRepaintedColour{250, 10, 10, 255};

void repaint_cn_en(const fs::path& folder) {
  fixture::write_picture(folder / "cn_en_0.png",
                         fixture::plain_picture(fixture::kButtonSide, fixture::kButtonSide, kRepaintedColour));
}

TEST_F(QStatusViewTest, SameSkinIniIsNotReadAgainButAReinstalledOneIs) {
  const fs::path skin = work_ / "skin";
  write_standard_skin(skin);
  fs::create_directory_symlink(skin, work_ / "link");
  ASSERT_EQ(view_.setSkinFile(skin), 0);
  const platform::gfx::Pixel first = fixture::button_colour(button_number("cn_en"), 0);

  // The same skin.ini, by any path to its folder: the loaded pictures stay.
  repaint_cn_en(skin);
  for (const fs::path& same : {skin, work_ / "link", skin / "."}) {
    EXPECT_EQ(view_.setSkinFile(same), 0) << same;
    EXPECT_EQ(shown_pixel("cn_en"), first) << same;
  }

  // Reinstalled over the folder (the same text in a new file): everything is read again.
  fixture::write_file(skin / "skin.ini", skin_ini());
  EXPECT_EQ(view_.setSkinFile(skin), 0);
  EXPECT_EQ(shown_pixel("cn_en"), kRepaintedColour);
  fixture::write_file(skin / "skin.ini", "[StatusBar]\npic=bar.png\n");
  EXPECT_EQ(view_.setSkinFile(skin), 0);
  EXPECT_FALSE(view_.item("cn_en")->enabled);
}

TEST_F(QStatusViewTest, PictureListsDecideWhichButtonsExist) {
  std::string ini = "[StatusBar]\npic=bar.png\n";
  ini += "biaodian_display=1\nbiaodian=biaodian_0.png,biaodian_1.png,biaodian_2.png,biaodian_0.png\n";
  ini += "cn_en_display=1\ncn_en=cn_en_0.png\ncn_en_pos=18,4\n";
  ini += "fan_jian_display=1\nfan_jian=" + std::string(600, 'f') + ".png\n";
  ini += "quan_ban_display=1\nquan_ban=../outside.png,quan_ban_1.png\nquan_ban_pos=72,4\n";
  ini += "menu_display=1\n";
  fixture::write_status_skin(work_ / "skin", ini, {"biaodian", "cn_en", "fan_jian", "passport", "quan_ban"});
  fixture::write_picture(work_ / "outside.png", fixture::plain_picture(16, 16, {1, 2, 3, 255}));
  ASSERT_EQ(view_.setSkinFile(work_ / "skin"), 0);

  EXPECT_FALSE(view_.item("biaodian"));  // four pictures
  EXPECT_FALSE(view_.item("fan_jian"));  // an entry over 511 bytes
  EXPECT_FALSE(view_.item("menu"));      // shown but no pictures
  ASSERT_TRUE(view_.item("cn_en"));
  const auto one_picture = fixture::button_colour(button_number("cn_en"), 0);
  EXPECT_EQ(shown_pixel("cn_en"), one_picture);
  view_.setStatus([] {
    Dictionary english;
    english.set("ENGLISH", true);
    return english;
  }());
  EXPECT_EQ(shown_pixel("cn_en"), one_picture);

  // A picture outside the folder is not read: that state has none, the other is drawn.
  ASSERT_TRUE(view_.item("quan_ban"));
  view_.item("quan_ban")->status = 0;
  EXPECT_EQ(view_.item("quan_ban")->image(), nullptr);
  view_.item("quan_ban")->status = 1;
  ASSERT_NE(view_.item("quan_ban")->image(), nullptr);
  EXPECT_EQ(view_.item("quan_ban")->image()->pixel(0, 0), fixture::button_colour(button_number("quan_ban"), 1));
}

TEST_F(QStatusViewTest, HoverKeepsTheSetOfButtonsUnderThePointer) {
  std::string ini = skin_ini();
  ini += "cn_en_hover=., cn_en_2.png\n";
  write_standard_skin(work_ / "skin");
  fixture::write_file(work_ / "skin" / "skin.ini", ini);
  ASSERT_EQ(view_.setSkinFile(work_ / "skin"), 0);

  const int language = view_.item("cn_en")->trackTag;
  const int menu = view_.item("menu")->trackTag;
  ASSERT_TRUE(window_.handle_tracking(language, true));
  ASSERT_TRUE(window_.handle_tracking(menu, true));
  EXPECT_EQ(view_.hovered(), (std::vector<std::string>{"cn_en", "menu"}));
  EXPECT_EQ(window_.cursor(), "pointing-hand");
  EXPECT_EQ(view_.item("cn_en")->category, kHoverPictures);

  // "." is the normal picture of the same state; a named hover picture replaces it.
  EXPECT_EQ(shown_pixel("cn_en"), fixture::button_colour(button_number("cn_en"), 0));
  view_.item("cn_en")->status = 1;
  EXPECT_EQ(shown_pixel("cn_en"), fixture::button_colour(button_number("cn_en"), 2));

  ASSERT_TRUE(window_.handle_tracking(language, false));
  EXPECT_EQ(view_.hovered(), (std::vector<std::string>{"menu"}));
  EXPECT_EQ(view_.item("cn_en")->category, kNormalPictures);
  EXPECT_EQ(window_.cursor(), "pointing-hand");
  ASSERT_TRUE(window_.handle_tracking(menu, false));
  EXPECT_TRUE(view_.hovered().empty());
  EXPECT_EQ(window_.cursor(), "arrow");
  EXPECT_EQ(window_.shows().find("hovered")->as_array()->size(), 0u);
}

TEST_F(QStatusViewTest, TransparentColourIsMaskedFromEveryPicture) {
  std::string ini = skin_ini();
  ini += "transparent_color_enable=1\n";
  // 0x00BBGGRR of the background colour (90, 90, 90).
  ini += "transparent_color=0x005a5a5a\n";
  write_standard_skin(work_ / "skin");
  fixture::write_file(work_ / "skin" / "skin.ini", ini);
  ASSERT_EQ(view_.setSkinFile(work_ / "skin"), 0);
  EXPECT_EQ(view_.background()->pixel(5, 5).alpha, 0);
  EXPECT_EQ(view_.item("menu")->image()->pixel(5, 5), fixture::button_colour(button_number("menu"), 0));
}

// Message 100 for the horizontal skin in `folder` with the status bar shown.
std::string skin_activation(const fs::path& folder) {
  kepcandidate::ComData activation;
  activation.setObject(1, "SCHEME_MODE");
  activation.setObject(static_cast<std::int64_t>(1), "PROCESS_ID");
  activation.setObject(folder.string(), "SKIN");
  activation.setObject(false, "HIDE_STATUS_BAR");
  return activation.data();
}

TEST_F(QStatusViewTest, ControllerLoadsTheBarOnActivationAndAppliesStatusMessages) {
  const fs::path work = work_;
  write_standard_skin(work / "skin");

  platform::ui::WindowRegistry registry;
  CandidateController controller;
  controller.awakeFromNib(registry);
  controller.handleMessage(kepcandidate::kKEPSMessageActivated, skin_activation(work / "skin"));
  EXPECT_EQ(controller.statusView.filePath(), work / "skin");
  EXPECT_TRUE(controller.statusWindow.is_visible());
  EXPECT_EQ(controller.statusView.item("fan_jian")->status, 1);  // empty STATUS: simplified

  Dictionary status;
  status.set("TRADITIONAL", true);
  kepcandidate::ComData update;
  update.setObject(status, "STATUS");
  controller.handleMessage(kepcandidate::kKEPSUpdateStatus, update.data());
  EXPECT_EQ(controller.statusView.item("fan_jian")->status, 0);
}

TEST_F(QStatusViewTest, ReinstalledSkinRefreshesTheCandidateViewAndTheStatusBarAlike) {
  const fs::path skin = work_ / "skin";
  write_standard_skin(skin);
  fixture::write_file(skin / "skin.ini", "[general]\nskin_name=First\n" + skin_ini());

  platform::ui::WindowRegistry registry;
  CandidateController controller;
  controller.awakeFromNib(registry);
  const std::string activation = skin_activation(skin);
  auto cn_en_pixel = [&] {
    auto picture = controller.statusWindow.render();
    if (!picture) throw std::runtime_error("no status picture");
    const platform::ui::Point centre = centre_of("cn_en");
    return picture->pixel(static_cast<int>(centre.x), static_cast<int>(kWindowHeight - centre.y));
  };
  controller.handleMessage(kepcandidate::kKEPSMessageActivated, activation);
  ASSERT_EQ(controller.view.name, "First");
  ASSERT_EQ(cn_en_pixel(), fixture::button_colour(button_number("cn_en"), 0));

  // A new picture alone is not a new skin: neither view reads the folder again.
  repaint_cn_en(skin);
  controller.handleMessage(kepcandidate::kKEPSMessageActivated, activation);
  EXPECT_EQ(cn_en_pixel(), fixture::button_colour(button_number("cn_en"), 0));

  fixture::write_file(skin / "skin.ini", "[general]\nskin_name=Second\n" + skin_ini());
  controller.handleMessage(kepcandidate::kKEPSMessageActivated, activation);
  EXPECT_EQ(controller.view.name, "Second");
  EXPECT_EQ(cn_en_pixel(), kRepaintedColour);
}

}  // namespace
}  // namespace kepcandidatewindow
