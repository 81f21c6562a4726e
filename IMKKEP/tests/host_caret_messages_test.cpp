// Where message 106 places the candidate window, and the V-mode list's message 111.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "CoreSource/record/conversation.h"
#include "IMKKEP/KEPInputController.h"
#include "IMKKEP/KEPMessageReceive.h"
#include "IMKKEP/tests/host_window_fixture.h"
#include "CoreSource/tests/engine_test_support.h"

namespace {

namespace plist = platform::plist;
using platform::imk::Rect;

// A client whose caret line is wherever the test puts it.
class CaretClient : public platform::imk::Client {
 public:
  const platform::imk::ClientInfo& info() const override { return info_; }
  pid_t process_id() const override { return 1; }
  void set_marked_text(std::string_view, platform::imk::Range, platform::imk::Range,
                       platform::imk::MarkedTextStyle) override {}
  void insert_text(std::string_view, platform::imk::Range) override {}
  std::optional<platform::imk::Range> selected_range() override { return std::nullopt; }
  std::optional<std::string> substring(platform::imk::Range) override { return std::nullopt; }
  std::optional<Rect> line_rect(std::uint64_t) override { return line; }
  void override_keyboard(std::string_view) override {}
  bool caps_lock_on() const override { return false; }

  std::optional<Rect> line;

 private:
  platform::imk::ClientInfo info_;
};

class CaretMessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    controller_ = imkkep::KEPInputController::create(client_);
    ASSERT_NE(controller_, nullptr);
    client_.line = Rect{101.7, 202.3, 300, 18};
  }
  ime_conversation_t* convs() { return controller_->conversation(); }
  void typed(int keys, std::uint32_t mode) {
    for (int i = 0; i < keys; ++i) convs()->inbuf[i] = 'a';
    convs()->inoff = static_cast<std::uint16_t>(keys);
    convs()->mode = mode;
  }
  std::optional<plist::Dictionary> sent(std::size_t n) {
    std::optional<host_test::WindowMessage> message = window_.message(n);
    if (!message) return std::nullopt;
    return message->dictionary();
  }

  engine_test::ScratchHome home_;
  platform::testing_support::PrivateRuntimeDir runtime_;
  host_test::FakeCandidateWindow window_;
  CaretClient client_;
  std::unique_ptr<imkkep::KEPInputController> controller_;
};

struct CaretCase {
  const char* name;
  int keys;
  std::uint32_t mode;
  int how;
  bool text;
  std::int64_t x, y;  // expected; (0, 0) leaves the window where it is
};

class CaretRuleTest : public CaretMessagesTest, public ::testing::WithParamInterface<CaretCase> {};

TEST_P(CaretRuleTest, TheWindowFollowsTheCaretOnlyWhereTheRuleSays) {
  const CaretCase& c = GetParam();
  typed(c.keys, c.mode);
  controller_->setLastLocation({5, 6});
  std::optional<std::string> text;
  if (c.text) text = "a";
  ASSERT_EQ(imkkep::KEPSendInputText(controller_.get(), text, c.how), 0);
  std::optional<plist::Dictionary> payload = sent(0);
  ASSERT_TRUE(payload);
  EXPECT_EQ(window_.settled().front().id, 106);
  EXPECT_EQ(payload->find("X")->integer_value(), c.x);
  EXPECT_EQ(payload->find("Y")->integer_value(), c.y);
  EXPECT_EQ(payload->find("FH")->integer_value(), 18) << "the line height is always asked";
  EXPECT_EQ(payload->find("INLINE_HEIGHT")->integer_value(), 18);
  EXPECT_TRUE(payload->contains("CANDIDATES"));
  if (c.x == 101) {
    EXPECT_EQ(controller_->lastLocation().x, 101);
    EXPECT_EQ(controller_->lastLocation().y, 202);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CaretRuleTest,
    ::testing::Values(CaretCase{"FirstKey", 1, 0, 1, true, 101, 202},
                      CaretCase{"SecondKey", 2, 0, 1, true, 0, 0},
                      CaretCase{"StoredPosition", 3, 0, 9, true, 5, 6},
                      CaretCase{"VModeLaterKey", 3, IME_MODE_V, 1, true, 101, 202},
                      CaretCase{"IModeShowOnly", 1, IME_MODE_I, 0, false, 101, 202},
                      CaretCase{"ShowOnly", 1, 0, 0, false, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CaretMessagesTest, AClientWithoutACaretLineGetsTheUsualInlineHeight) {
  client_.line.reset();
  typed(1, 0);
  ASSERT_EQ(imkkep::KEPSendInputText(controller_.get(), std::string("a"), 1), 0);
  std::optional<plist::Dictionary> payload = sent(0);
  ASSERT_TRUE(payload);
  EXPECT_EQ(payload->find("X")->integer_value(), 0);
  EXPECT_EQ(payload->find("FH")->integer_value(), 0);
  EXPECT_EQ(payload->find("INLINE_HEIGHT")->integer_value(), 14);
}

TEST_F(CaretMessagesTest, AnEmptyTextSendsNothing) {
  typed(1, 0);
  EXPECT_EQ(imkkep::KEPSendInputText(controller_.get(), std::string(), 1), 1);
  EXPECT_EQ(imkkep::KEPSendVModeUp(), 0);
  std::optional<host_test::WindowMessage> first = window_.message(0);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->id, 108);
}

TEST_F(CaretMessagesTest, ShowingAndHidingMarkTheConversation) {
  ASSERT_EQ(imkkep::KEPShowCandidateWindow(controller_.get()), 0);
  EXPECT_NE(convs()->mode & 0x2, 0u);
  ASSERT_EQ(imkkep::KEPHideCandidateWindow(controller_.get()), 0);
  EXPECT_EQ(convs()->mode & 0x2, 0u);
  ASSERT_TRUE(window_.message(1));
  std::vector<host_test::WindowMessage> messages = window_.settled();
  EXPECT_EQ(messages[0].id, 106);
  EXPECT_EQ(messages[1].id, 104);
  EXPECT_EQ(messages[1].payload, "");
}

TEST_F(CaretMessagesTest, TheVModeListIsPlacedOnlyAsItOpens) {
  typed(1, IME_MODE_V);
  ASSERT_EQ(imkkep::KEPSendStringToUI(controller_.get(), 111, std::string("v")), 0);
  typed(2, IME_MODE_V);
  ASSERT_EQ(imkkep::KEPSendStringToUI(controller_.get(), 111, std::string("vz")), 0);
  std::optional<plist::Dictionary> opening = sent(0);
  std::optional<plist::Dictionary> later = sent(1);
  ASSERT_TRUE(opening && later);
  EXPECT_EQ(opening->find("X")->integer_value(), 101);
  EXPECT_EQ(opening->find("Y")->integer_value(), 202);
  EXPECT_EQ(opening->find("VALUE")->string_value(), "v");
  EXPECT_FALSE(later->contains("X"));
  EXPECT_EQ(later->find("VALUE")->string_value(), "vz");
}

TEST_F(CaretMessagesTest, TheVModeWindowIsHiddenOnlyForAController) {
  EXPECT_EQ(imkkep::KEPHideVModeWindow(nullptr), -1);
  ASSERT_EQ(imkkep::KEPHideVModeWindow(controller_.get()), 0);
  std::optional<host_test::WindowMessage> hide = window_.message(0);
  ASSERT_TRUE(hide);
  EXPECT_EQ(hide->id, 114);
  EXPECT_EQ(window_.settled().size(), 1u);
}

}  // namespace
