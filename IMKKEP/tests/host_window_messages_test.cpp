// What the server sends to the candidate window, and its own port for the window's replies.
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <thread>

#include "CoreSource/base/config.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/start/config_reload.h"
#include "CoreSource/tests/engine_test_support.h"
#include "IMKKEP/companions/KEPMessageReceive.h"
#include "IMKKEP/base/server_state.h"
#include "IMKKEP/tests/host_window_fixture.h"
#include "platform/files.h"
#include "platform/text.h"

namespace {

namespace plist = platform::plist;
using host_test::FakeCandidateWindow;
using host_test::WindowMessage;

class WindowMessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_test::reset_engine_caches();
    kIMEConfigureDictionary = &settings_;
    saved_mode_ = ime_mode;
    ime_mode = 0;
    imkkep::kUpdateFlag = 1;
  }
  void TearDown() override {
    kIMEConfigureDictionary = nullptr;
    ime_mode = saved_mode_;
    imkkep::kUpdateFlag = 1;
    engine_test::reset_engine_caches();
  }

  platform::testing_support::PrivateRuntimeDir runtime_;
  // No bundle is installed under this root.
  engine_test::TempDir root_;
  engine_test::ScopedEnv root_env_{"KEP_ROOT", root_.path().string()};
  plist::Dictionary settings_;
  int saved_mode_ = 0;
};

TEST_F(WindowMessagesTest, EverySendFailsQuietlyWhileNoWindowServes) {
  const std::vector<std::pair<const char*, std::function<int()>>> senders = {
      {"raw", [] { return imkkep::SendMessageToUI2(106, "x"); }},
      {"activate", [] { return imkkep::KEPSendActiveMessage(nullptr); }},
      {"notice", [] { return imkkep::PostGrowlNotification("Silent Mode", "text"); }},
      {"v-mode up", [] { return imkkep::KEPSendVModeUp(); }},
      {"v-mode down", [] { return imkkep::KEPSendVModeDown(); }},
      {"v-mode select", [] { return imkkep::KEPSendVModeSelect(); }},
      {"status", [] { return imkkep::KEPUpdateStatus(); }},
  };
  for (const auto& [name, send] : senders) EXPECT_EQ(send(), -2) << name;
}

TEST_F(WindowMessagesTest, TheWindowReceivesIdAndBytesAsSent) {
  FakeCandidateWindow window;
  ASSERT_TRUE(window.serving());
  EXPECT_EQ(imkkep::SendMessageToUI2(106, "payload"), 0);
  EXPECT_EQ(imkkep::KEPSendVModeSelect(), 0);
  std::optional<WindowMessage> first = window.message(0);
  std::optional<WindowMessage> second = window.message(1);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->id, 106);
  EXPECT_EQ(first->payload, "payload");
  EXPECT_EQ(second->id, 110);
  EXPECT_EQ(second->payload, "");
}

TEST_F(WindowMessagesTest, ANoticeIsCutToItsLimitAtACharacterBoundary) {
  FakeCandidateWindow window;
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "中";  // three bytes each; 2048 falls inside one
  ASSERT_EQ(imkkep::PostGrowlNotification("Silent Mode", text), 0);
  std::optional<WindowMessage> notice = window.message(0);
  ASSERT_TRUE(notice);
  EXPECT_EQ(notice->id, 107);
  std::string full = "Silent Mode:" + text;
  EXPECT_LE(notice->payload.size(), 2048u);
  EXPECT_GT(notice->payload.size(), 2045u) << "no more is cut than the character that straddles";
  EXPECT_TRUE(platform::text::is_valid_utf8(notice->payload));
  EXPECT_EQ(full.compare(0, notice->payload.size(), notice->payload), 0);
}

TEST_F(WindowMessagesTest, ALocalizedNoticeFallsBackToItsDefaultText) {
  FakeCandidateWindow window;
  ASSERT_EQ(imkkep::PostGrowlLocalizedString("Silent Mode", "/usr/bin/app", "GO_SILENT_MODE",
                                             " enter silent mode."),
            0);
  std::optional<WindowMessage> notice = window.message(0);
  ASSERT_TRUE(notice);
  EXPECT_EQ(notice->payload, "Silent Mode:/usr/bin/app enter silent mode.");
}

TEST_F(WindowMessagesTest, StatusGoesOutOnlyWhileNotApplyingTheWindowsOwnChange) {
  FakeCandidateWindow window;
  imkkep::kUpdateFlag = 0;
  EXPECT_EQ(imkkep::KEPUpdateStatus(), 0);
  imkkep::kUpdateFlag = 1;
  ime_mode = 1;
  EXPECT_EQ(imkkep::KEPUpdateStatus(), 0);
  std::optional<WindowMessage> status = window.message(0);
  ASSERT_TRUE(status);
  EXPECT_EQ(window.settled().size(), 1u) << "the first update was held back";
  EXPECT_EQ(status->id, 113);
  std::optional<plist::Dictionary> payload = status->dictionary();
  ASSERT_TRUE(payload);
  const plist::Value* modes = payload->find("STATUS");
  ASSERT_TRUE(modes && modes->is_dictionary());
  plist::Dictionary expected;
  expected.set("FULL_WIDTH_PUNCT", false);
  expected.set("FULL_WIDTH_ROMAN", false);
  expected.set("ENGLISH", false);
  expected.set("PINYIN", false);  // double pinyin
  expected.set("TRADITIONAL", false);
  EXPECT_EQ(*modes->as_dictionary(), expected);
}

TEST_F(WindowMessagesTest, ActivationCarriesTheAppearanceAndTheServersProcess) {
  FakeCandidateWindow window;
  std::string long_name(600, 'F');
  settings_.set("FontName", long_name);
  settings_.set("SkinPath", "/skins/blue");
  settings_.set("EnableDaruzSkin", true);
  settings_.set("SkinLayout", 1);
  ime_candidate_alpha = 80;
  ime_candidate_fcolor[0] = '\0';
  ime_candidate_bcolor[0] = '\0';
  ASSERT_EQ(imkkep::KEPSendActiveMessage(nullptr), 0);
  std::optional<WindowMessage> sent = window.message(0);
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->id, 100);
  std::optional<plist::Dictionary> payload = sent->dictionary();
  ASSERT_TRUE(payload);
  auto value = [&](const char* name) { return payload->find(name); };
  ASSERT_TRUE(value("PROCESS_ID") && value("ALPHA") && value("FONT_NAME") && value("SKIN"));
  EXPECT_EQ(value("PROCESS_ID")->integer_value(), getpid());
  EXPECT_NEAR(*value("ALPHA")->real_value(), 0.8, 1e-6);
  EXPECT_EQ(value("FONT_NAME")->string_value(), long_name.substr(0, 511));
  EXPECT_EQ(value("FOREGROUND_COLOR")->string_value(), "000000");
  EXPECT_EQ(value("BACKGROUND_COLOR")->string_value(), "ffffff");
  EXPECT_EQ(value("SCHEME_MODE")->integer_value(), 2);
  EXPECT_EQ(value("SKIN")->string_value(), "/skins/blue");
  EXPECT_FALSE(payload->contains("FORMAT_STRING"));
  EXPECT_TRUE(value("STATUS") && value("STATUS")->is_dictionary());

  settings_.set("EnableDaruzSkin", false);
  ASSERT_EQ(imkkep::KEPSendActiveMessage(nullptr), 0);
  std::optional<WindowMessage> plain = window.message(1);
  ASSERT_TRUE(plain);
  payload = plain->dictionary();
  ASSERT_TRUE(payload);
  EXPECT_EQ(payload->find("SCHEME_MODE")->integer_value(), 0);
  EXPECT_FALSE(payload->contains("SKIN"));
}

TEST_F(WindowMessagesTest, TheServersPortTakesTheWindowsMessagesWithoutAnswering) {
  platform::RunLoop loop;
  struct ClosePort {
    ~ClosePort() { imkkep::KEPCloseMessageReceiving(); }
  } close_before_loop_ends;
  ASSERT_EQ(imkkep::KEPInitializeMessageReceiving(loop), 0);
  std::string name = "com.corvana.inputmethod.kep.imkcandishow." + std::to_string(getpid());

  std::vector<platform::ports::Reply> replies;
  std::thread window([&] {
    std::error_code error;
    std::optional<platform::ports::RemotePort> port = platform::ports::RemotePort::open(name, error);
    if (!port) {
      loop.stop();
      return;
    }
    const std::pair<std::int32_t, std::string> messages[] = {
        {113, "not a property list"}, {115, "<plist><dict><key>VALUE</key>"},
        {256, "12"}, {256, ""}, {999, "x"}};
    for (const auto& [id, data] : messages) {
      replies.push_back(port->send(id, data, std::chrono::seconds(20), std::chrono::seconds(20)));
    }
    loop.stop();
  });
  loop.run_for(std::chrono::seconds(120));  // the window thread stops it when done
  window.join();
  ASSERT_EQ(replies.size(), 5u) << "the port is served under the server's process id";
  for (const platform::ports::Reply& reply : replies) {
    EXPECT_EQ(reply.status, platform::ports::SendStatus::Success);
    EXPECT_FALSE(reply.data.has_value());
  }

  platform::RunLoop second;
  EXPECT_EQ(imkkep::KEPInitializeMessageReceiving(second), -1) << "the name is taken";
}

}  // namespace
