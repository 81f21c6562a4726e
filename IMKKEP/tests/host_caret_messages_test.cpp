// Where message 106 places the candidate window (by a caret line the client answers sensibly),
// and the V-mode list's message 111.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "CoreSource/record/conversation.h"
#include "IMKKEP/controller/KEPInputController.h"
#include "IMKKEP/companions/KEPMessageReceive.h"
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

// A client's caret line is checked before the window is placed by it: an answer that is not
// finite or lies off every screen counts as no answer.
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

struct LineCase {
  const char* name;
  Rect line;
  bool taken;
};

class CaretAnswerTest : public CaretMessagesTest, public ::testing::WithParamInterface<LineCase> {
 protected:
  // The main screen and one to its right.
  engine_test::ScopedEnv screens_{"KEP_SCREENS", "0,0,1440,900;1440,-200,1920,1200"};
};

TEST_P(CaretAnswerTest, OnlyALineOnAScreenPlacesTheWindow) {
  const LineCase& c = GetParam();
  client_.line = c.line;
  typed(1, 0);  // the first key of a composition: the window is placed by the caret
  ASSERT_EQ(imkkep::KEPSendInputText(controller_.get(), std::string("a"), 1), 0);
  std::optional<plist::Dictionary> payload = sent(0);
  ASSERT_TRUE(payload);
  if (c.taken) {
    EXPECT_EQ(payload->find("X")->integer_value(), static_cast<std::int64_t>(c.line.x));
    EXPECT_EQ(payload->find("Y")->integer_value(), static_cast<std::int64_t>(c.line.y));
    EXPECT_EQ(payload->find("FH")->integer_value(), static_cast<std::int64_t>(c.line.height));
    EXPECT_EQ(payload->find("INLINE_HEIGHT")->integer_value(),
              static_cast<std::int64_t>(c.line.height));
  } else {
    // As a client that does not answer: the window stays, the line keeps its usual height.
    EXPECT_EQ(payload->find("X")->integer_value(), 0);
    EXPECT_EQ(payload->find("Y")->integer_value(), 0);
    EXPECT_EQ(payload->find("FH")->integer_value(), 0);
    EXPECT_EQ(payload->find("INLINE_HEIGHT")->integer_value(), 14);
    EXPECT_EQ(controller_->lastLocation().x, 0);
    EXPECT_EQ(controller_->lastLocation().y, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CaretAnswerTest,
    ::testing::Values(LineCase{"MainScreen", {100.5, 200.5, 0, 16}, true},
                      LineCase{"MainScreenCorner", {1440, 900, 0, 900}, true},
                      LineCase{"SecondScreen", {3000, -150, 0, 18}, true},
                      LineCase{"NaNX", {kNaN, 200, 0, 16}, false},
                      LineCase{"InfiniteY", {100, kInfinity, 0, 16}, false},
                      LineCase{"NegativeInfiniteX", {-kInfinity, 200, 0, 16}, false},
                      LineCase{"NaNHeight", {100, 200, 0, kNaN}, false},
                      LineCase{"InfiniteHeight", {100, 200, 0, kInfinity}, false},
                      LineCase{"NaNWidth", {100, 200, kNaN, 16}, false},
                      LineCase{"PastTheInt64Range", {1e19, 200, 0, 16}, false},
                      LineCase{"BelowTheInt64Range", {100, -9.3e18, 0, 16}, false},
                      LineCase{"BetweenScreens", {100, -100, 0, 16}, false},
                      LineCase{"RightOfEveryScreen", {3361, 100, 0, 16}, false},
                      LineCase{"NegativeHeight", {100, 200, 0, -16}, false},
                      LineCase{"TallerThanItsScreen", {100, 200, 0, 901}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CaretMessagesTest, AnAnswerOffEveryScreenLeavesThePresetPosition) {
  client_.line = Rect{kNaN, kNaN, kNaN, kNaN};
  double x = 2147483647, y = 2147483647, height = 14;
  ASSERT_EQ(imkkep::KEPQueryOffsetToPos(controller_.get(), &x, &y, &height), 0);
  EXPECT_EQ(x, 2147483647);
  EXPECT_EQ(y, 2147483647);
  EXPECT_EQ(height, 14);
  client_.line = Rect{300.9, 400.2, 1, 20};
  ASSERT_EQ(imkkep::KEPQueryOffsetToPos(controller_.get(), &x, &y, &height), 0);
  EXPECT_EQ(x, 300);
  EXPECT_EQ(y, 400);
  EXPECT_EQ(height, 20);
  EXPECT_EQ(controller_->lastLocation().x, 300);
  EXPECT_EQ(controller_->lastLocation().y, 400);
}

}  // namespace
