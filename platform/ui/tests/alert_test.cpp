#include "platform/ui/alert.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/ui/dialog_log.h"
#include "platform/ui/tests/view_test_support.h"
#include "platform/ui/tests/window_test_support.h"
#include "platform/ui/toolbar.h"

namespace platform::ui {
namespace {

using namespace std::chrono_literals;
using test_support::bool_at;
using test_support::dictionary_at;
using test_support::read_state_file;
using test_support::RenderDir;
using test_support::string_at;

std::vector<std::string> logged;
void keep_line(std::string_view line) { logged.emplace_back(line); }

class AlertTest : public testing::Test {
 protected:
  void SetUp() override {
    logged.clear();
    set_dialog_log_sink(keep_line);
    alert_.set_message_text("Restore the defaults?");
    alert_.set_informative_text("Every setting goes back\nto how it was shipped.");
    EXPECT_EQ(alert_.add_button("BUTTON_YES", "Yes"), kAlertFirstButtonReturn);
    EXPECT_EQ(alert_.add_button("BUTTON_NO", "No"), kAlertFirstButtonReturn + 1);
  }
  void TearDown() override { set_dialog_log_sink(nullptr); }

  // Runs the loop until the end handler has run (it stops the loop), at most a generous while.
  std::vector<int> run_until_ended() {
    loop_.run_for(10s);
    return ended_;
  }
  Alert::EndHandler recorder() {
    return [this](int code) {
      ended_.push_back(code);
      loop_.stop();
    };
  }
  plist::Dictionary state() const { return read_state_file(render_.file("alert.state")); }

  RenderDir render_;
  RunLoop loop_;
  WindowRegistry registry_;
  Alert alert_{registry_, loop_, "TestProgram"};
  std::vector<int> ended_;
};

TEST_F(AlertTest, RunModallyItTakesTheQueuedAnswerOrItsDefaultButton) {
  struct Case {
    const char* what;
    std::vector<std::string> queued;
    std::string default_key;
    int code;
    std::vector<std::string> log;
  };
  const Case cases[] = {
      {"queued", {"BUTTON_NO"}, "BUTTON_YES", 1001,
       {"alert \"Restore the defaults?\" answered BUTTON_NO by a queued answer"}},
      {"nothing queued", {}, "BUTTON_YES", 1000,
       {"alert \"Restore the defaults?\" answered by default: BUTTON_YES"}},
      {"another default", {}, "BUTTON_NO", 1001,
       {"alert \"Restore the defaults?\" answered by default: BUTTON_NO"}},
      {"a queued key it has no button for", {"BUTTON_MAYBE"}, "BUTTON_YES", 1000,
       {"alert \"Restore the defaults?\": the queued answer is refused: the alert has no "
        "button \"BUTTON_MAYBE\"",
        "alert \"Restore the defaults?\" answered by default: BUTTON_YES"}},
  };
  for (const Case& c : cases) {
    logged.clear();
    ASSERT_TRUE(alert_.set_default_button(c.default_key));
    for (const std::string& key : c.queued) {
      EXPECT_EQ(registry_.perform("answer alert " + key), "ok") << c.what;
    }
    EXPECT_EQ(alert_.run_modal(), c.code) << c.what;
    EXPECT_EQ(logged, c.log) << c.what;
    EXPECT_FALSE(alert_.is_visible()) << c.what;
    EXPECT_EQ(registry_.answers().queued(kAlertAnswer), 0u) << c.what;
    const plist::Dictionary shows = *dictionary_at(state(), "shows");
    EXPECT_EQ(string_at(shows, "answer"), alert_.answer()) << c.what;
    EXPECT_EQ(bool_at(state(), "visible"), false) << c.what;
  }
}

TEST_F(AlertTest, ABegunAlertEndsByAClickOnTheLoopWithTheButtonsCode) {
  ASSERT_TRUE(alert_.begin(recorder()));
  EXPECT_TRUE(alert_.is_visible() && alert_.is_key());
  EXPECT_EQ(bool_at(*dictionary_at(state(), "shows"), "running"), true);
  EXPECT_FALSE(alert_.begin(recorder())) << "one run at a time";

  EXPECT_EQ(registry_.perform("click alert BUTTON_NO"), "ok");
  EXPECT_TRUE(ended_.empty()) << "the end handler runs on the loop, not inside the click";
  EXPECT_EQ(run_until_ended(), std::vector<int>{1001});
  EXPECT_EQ(alert_.answer(), "BUTTON_NO");
  EXPECT_EQ(logged, std::vector<std::string>{
                        "alert \"Restore the defaults?\" answered BUTTON_NO by a click"});
  EXPECT_FALSE(alert_.is_visible());
  EXPECT_EQ(registry_.perform("click alert BUTTON_YES"), "ok");
  EXPECT_EQ(alert_.answer(), "BUTTON_NO") << "an ended alert takes no more clicks";
}

TEST_F(AlertTest, AnAnswerThroughThePortIsCheckedAgainstTheButtons) {
  ASSERT_TRUE(alert_.begin(recorder()));
  EXPECT_EQ(registry_.perform("answer alert BUTTON_MAYBE"),
            "error: the alert has no button \"BUTTON_MAYBE\"");
  EXPECT_TRUE(alert_.is_running());
  EXPECT_EQ(registry_.answers().queued(kAlertAnswer), 0u) << "a refused answer is not kept";
  EXPECT_EQ(registry_.perform("answer alert BUTTON_YES"), "ok");
  EXPECT_EQ(run_until_ended(), std::vector<int>{1000});
  EXPECT_EQ(logged, std::vector<std::string>{
                        "alert \"Restore the defaults?\" answered BUTTON_YES by an answer"});
  EXPECT_EQ(string_at(*dictionary_at(state(), "shows"), "answeredBy"), "by an answer");
}

TEST_F(AlertTest, AnAnswerQueuedBeforeTheAlertBeginsEndsItAtOnce) {
  EXPECT_EQ(registry_.perform("answer alert BUTTON_NO"), "ok");
  EXPECT_EQ(registry_.answers().queued(kAlertAnswer), 1u);
  ASSERT_TRUE(alert_.begin(recorder()));
  EXPECT_FALSE(alert_.is_running());
  EXPECT_EQ(run_until_ended(), std::vector<int>{1001});
}

TEST_F(AlertTest, ReturnOrASpaceTakesTheDefaultButton) {
  ASSERT_TRUE(alert_.set_default_button("BUTTON_NO"));
  ASSERT_TRUE(alert_.begin(recorder()));
  EXPECT_EQ(registry_.perform("key alert x"), "error: \"alert\" did not take the keys");
  EXPECT_EQ(registry_.perform("key alert  "), "ok");
  EXPECT_EQ(run_until_ended(), std::vector<int>{1001});
}

TEST_F(AlertTest, ASheetNamesItsParentAndHangsFromItsTop) {
  Window parent("TestProgram", "Preferences", Rect{100, 200, 600, 400});
  auto bar = std::make_unique<Toolbar>("bar");
  bar->add_item("General", "General");
  parent.set_toolbar(std::move(bar));
  ASSERT_TRUE(registry_.add(parent));
  ASSERT_TRUE(alert_.begin_sheet(parent, recorder()));
  const plist::Dictionary shows = *dictionary_at(state(), "shows");
  EXPECT_EQ(string_at(shows, "parent"), "Preferences");
  EXPECT_EQ(bool_at(shows, "sheet"), true);
  const Rect sheet = alert_.frame();
  EXPECT_EQ(sheet.y + sheet.height, 200 + parent.content_rect().height) << "below the toolbar";
  EXPECT_EQ(sheet.x, 100 + (600 - sheet.width) / 2);
  EXPECT_EQ(registry_.perform("click alert BUTTON_YES"), "ok");
  EXPECT_EQ(run_until_ended(), std::vector<int>{1000});
}

TEST_F(AlertTest, ButtonsAreShownByTitleAndKnownByKey) {
  EXPECT_EQ(alert_.add_button("BUTTON_YES", "again"), -1);
  EXPECT_EQ(alert_.add_button("", "nameless"), -1);
  EXPECT_FALSE(alert_.set_default_button("BUTTON_MAYBE"));
  ASSERT_TRUE(alert_.begin(recorder()));
  const plist::Dictionary described = read_state_file(render_.file("alert.state"));
  const plist::Array* buttons =
      test_support::array_at(*dictionary_at(described, "shows"), "buttons");
  ASSERT_TRUE(buttons && buttons->size() == 2);
  const plist::Dictionary& no = *(*buttons)[1].as_dictionary();
  EXPECT_EQ(string_at(no, "key"), "BUTTON_NO");
  EXPECT_EQ(string_at(no, "title"), "No");
  EXPECT_EQ(bool_at(no, "default"), false);
  View* yes = alert_.find_view("BUTTON_YES");
  View* no_view = alert_.find_view("BUTTON_NO");
  ASSERT_TRUE(yes && no_view);
  EXPECT_GT(yes->frame().x, no_view->frame().x) << "the first button is at the right";
  EXPECT_NE(alert_.find_view("informative"), nullptr);
}

TEST(AlertWithoutButtonsTest, CannotRun) {
  RunLoop loop;
  WindowRegistry registry;
  Alert alert(registry, loop, "TestProgram");
  EXPECT_EQ(alert.run_modal(), -1);
  EXPECT_FALSE(alert.begin([](int) {}));
  EXPECT_FALSE(alert.is_visible());
}

}  // namespace
}  // namespace platform::ui
