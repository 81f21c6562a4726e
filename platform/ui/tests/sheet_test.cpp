#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "platform/notify.h"
#include "platform/runloop.h"
#include "platform/ui/alert.h"
#include "platform/ui/dialog_log.h"
#include "platform/ui/tests/view_test_support.h"
#include "platform/ui/tests/window_test_support.h"
#include "platform/ui/toolbar.h"
#include "platform/ui/window.h"
#include "platform/ui/window_registry.h"

namespace platform::ui {
namespace {

using namespace std::chrono_literals;
using test_support::read_state_file;
using test_support::RenderDir;
using test_support::string_at;

// Records, in one list, what the parent's delegate is asked and told, the end handlers and the
// sheet-ended notifications, so their order shows.
struct Events {
  std::vector<std::string> lines;
};

class RecordingDelegate : public WindowDelegate {
 public:
  explicit RecordingDelegate(Events& events) : events_(events) {}
  // Moves the sheet this far down from where it would hang.
  double lower_by = 0;

  Rect will_position_sheet(Window& parent, Window& sheet, Rect rect) override {
    events_.lines.push_back("position " + sheet.name() + " on " + parent.name() + " at " +
                            std::to_string(static_cast<int>(rect.x)) + "," +
                            std::to_string(static_cast<int>(rect.y)) + " " +
                            std::to_string(static_cast<int>(rect.width)) + "x" +
                            std::to_string(static_cast<int>(rect.height)));
    rect.y -= lower_by;
    return rect;
  }
  void did_end_sheet(Window& parent, Window& sheet) override {
    events_.lines.push_back("did end " + sheet.name() + " on " + parent.name());
  }

 private:
  Events& events_;
};

class SheetTest : public testing::Test {
 protected:
  void SetUp() override {
    set_dialog_log_sink([](std::string_view) {});
    observer_ = notify::NotificationCenter::local().add_observer(
        std::string(kWindowDidEndSheetNotification), std::nullopt,
        [this](const notify::Notification& note) {
          events_.lines.push_back("notification " + note.object);
        });
    auto bar = std::make_unique<Toolbar>("bar");
    bar->add_item("General", "General");
    parent_.set_toolbar(std::move(bar));
    parent_.set_delegate(&delegate_);
    registry_.add(parent_);
    registry_.add(sheet_);
    parent_.make_key_and_order_front();
  }
  void TearDown() override {
    notify::NotificationCenter::local().remove_observer(observer_);
    set_dialog_log_sink(nullptr);
  }

  Window::SheetEndHandler recorder() {
    return [this](int code) {
      events_.lines.push_back("end handler " + std::to_string(code));
      loop_.perform([this] { loop_.stop(); });
    };
  }
  // Runs the loop until the end's task has run (the handler queues the stop behind it).
  void run_until_ended() { loop_.run_for(20s); }
  plist::Dictionary state(const std::string& window) const {
    return read_state_file(render_.file(window + ".state"));
  }

  RenderDir render_;
  RunLoop loop_;
  WindowRegistry registry_;
  Events events_;
  RecordingDelegate delegate_{events_};
  Window parent_{"TestProgram", "Preferences", Rect{100, 200, 600, 400}};
  Window sheet_{"TestProgram", "importSheet", Rect{0, 0, 300, 120}};
  notify::ObserverId observer_ = 0;
};

TEST_F(SheetTest, ASheetHangsFromTheParentsContentNamesItAndEndsWithItsCode) {
  ASSERT_TRUE(sheet_.begin_sheet(parent_, loop_, recorder()));
  const double content_top = parent_.content_rect().height;
  ASSERT_LT(content_top, 400) << "the toolbar takes part of the frame";
  EXPECT_EQ(events_.lines,
            std::vector<std::string>{"position importSheet on Preferences at 0," +
                                     std::to_string(static_cast<int>(content_top)) + " 600x0"});
  EXPECT_EQ(sheet_.frame(), (Rect{100 + 150, 200 + content_top - 120, 300, 120}));
  EXPECT_TRUE(sheet_.is_visible() && sheet_.is_key());
  EXPECT_FALSE(parent_.is_key());
  EXPECT_EQ(sheet_.sheet_parent(), &parent_);
  EXPECT_EQ(parent_.attached_sheet(), &sheet_);
  EXPECT_EQ(string_at(state("importSheet"), "sheetParent"), "Preferences");
  EXPECT_EQ(string_at(state("Preferences"), "attachedSheet"), "importSheet");

  events_.lines.clear();
  ASSERT_TRUE(sheet_.end_sheet(1));
  EXPECT_TRUE(events_.lines.empty()) << "the end is told on the loop, not inside end_sheet";
  EXPECT_FALSE(sheet_.is_visible());
  EXPECT_TRUE(parent_.is_key()) << "the parent takes the keyboard back";
  EXPECT_FALSE(state("importSheet").contains("sheetParent"));
  EXPECT_FALSE(state("Preferences").contains("attachedSheet"));
  EXPECT_FALSE(sheet_.end_sheet(1)) << "a sheet ends once";
  run_until_ended();
  EXPECT_EQ(events_.lines, (std::vector<std::string>{"end handler 1",
                                                     "did end importSheet on Preferences",
                                                     "notification Preferences"}));

  // Begun again, it ends with another code, told once more.
  events_.lines.clear();
  ASSERT_TRUE(sheet_.begin_sheet(parent_, loop_, recorder()));
  ASSERT_TRUE(sheet_.end_sheet(0));
  run_until_ended();
  EXPECT_EQ(events_.lines.size(), 4u);
  EXPECT_EQ(events_.lines[1], "end handler 0");
}

TEST_F(SheetTest, TheDelegateMayMoveTheSheetAndAWrongAnswerIsIgnored) {
  delegate_.lower_by = 30;
  ASSERT_TRUE(sheet_.begin_sheet(parent_, loop_, nullptr));
  EXPECT_EQ(sheet_.frame().y + 120, 200 + parent_.content_rect().height - 30);
  ASSERT_TRUE(sheet_.end_sheet(0));

  delegate_.lower_by = std::nan("");
  ASSERT_TRUE(sheet_.begin_sheet(parent_, loop_, recorder()));
  EXPECT_EQ(sheet_.frame().y + 120, 200 + parent_.content_rect().height);
  ASSERT_TRUE(sheet_.end_sheet(0));
  run_until_ended();
  EXPECT_EQ(std::count(events_.lines.begin(), events_.lines.end(), "notification Preferences"),
            2)
      << "a sheet without an end handler is told of too";
}

TEST_F(SheetTest, ASheetThatChangesSizeStaysHungAndCentred) {
  delegate_.lower_by = 10;
  ASSERT_TRUE(sheet_.begin_sheet(parent_, loop_, nullptr));
  const double hang_top = 200 + parent_.content_rect().height - 10;
  struct Case {
    Rect asked;
    Rect placed;
  };
  const Case cases[] = {
      // Taller: the top edge stays, the bottom goes down.
      {Rect{0, 0, 300, 130}, Rect{250, hang_top - 130, 300, 130}},
      // Wider and moved elsewhere: centred again, the origin asked for is not taken.
      {Rect{900, 900, 401, 120}, Rect{100 + 99, hang_top - 120, 401, 120}},
      {Rect{5, 5, 300, 120}, Rect{250, hang_top - 120, 300, 120}},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(sheet_.set_frame(c.asked));
    EXPECT_EQ(sheet_.frame(), c.placed) << c.asked.width << "x" << c.asked.height;
  }
  EXPECT_TRUE(sheet_.set_frame_origin(Point{0, 0}));
  EXPECT_EQ(sheet_.frame(), (Rect{250, hang_top - 120, 300, 120})) << "a sheet is not moved";
  EXPECT_EQ(events_.lines.size(), 1u) << "placed again without asking the delegate";
  ASSERT_TRUE(sheet_.end_sheet(0));
  // Ended, it is a window like any other again.
  EXPECT_TRUE(sheet_.set_frame(Rect{5, 6, 300, 130}));
  EXPECT_EQ(sheet_.frame(), (Rect{5, 6, 300, 130}));
}

TEST_F(SheetTest, OneSheetPerWindowAndNoWindowIsItsOwnSheet) {
  Window other("TestProgram", "other", Rect{0, 0, 200, 100});
  EXPECT_FALSE(sheet_.begin_sheet(sheet_, loop_, nullptr));
  ASSERT_TRUE(sheet_.begin_sheet(parent_, loop_, nullptr));
  EXPECT_FALSE(other.begin_sheet(parent_, loop_, nullptr)) << "the parent carries one";
  EXPECT_FALSE(sheet_.begin_sheet(other, loop_, nullptr)) << "the sheet runs already";
  EXPECT_FALSE(parent_.begin_sheet(other, loop_, nullptr)) << "a parent stays where it is";
  EXPECT_FALSE(other.end_sheet(0));
  EXPECT_EQ(events_.lines.size(), 1u) << "only the first sheet was placed";
}

TEST_F(SheetTest, ADestroyedSheetEndsNothingAndAGoneParentIsNotTold) {
  {
    Window brief("TestProgram", "brief", Rect{0, 0, 100, 50});
    ASSERT_TRUE(brief.begin_sheet(parent_, loop_, recorder()));
  }
  EXPECT_EQ(parent_.attached_sheet(), nullptr);
  EXPECT_TRUE(sheet_.begin_sheet(parent_, loop_, recorder())) << "the parent is free again";
  ASSERT_TRUE(sheet_.end_sheet(0));
  run_until_ended();
  EXPECT_EQ(events_.lines.back(), "notification Preferences");
  EXPECT_EQ(std::count(events_.lines.begin(), events_.lines.end(), "end handler 0"), 1)
      << "the destroyed sheet's handler never ran";

  events_.lines.clear();
  auto gone = std::make_unique<Window>("TestProgram", "gone", Rect{0, 0, 400, 300});
  ASSERT_TRUE(sheet_.begin_sheet(*gone, loop_, recorder()));
  gone.reset();
  EXPECT_EQ(sheet_.sheet_parent(), nullptr);
  ASSERT_TRUE(sheet_.end_sheet(2));
  run_until_ended();
  EXPECT_EQ(events_.lines, (std::vector<std::string>{"end handler 2", "notification gone"}));
}

TEST_F(SheetTest, AnAlertSheetTakesTheSamePath) {
  Alert alert(registry_, loop_, "TestProgram");
  alert.set_message_text("Delete?");
  alert.add_button("BUTTON_NO", "No");
  alert.add_button("BUTTON_YES", "Yes");
  ASSERT_TRUE(alert.begin_sheet(parent_, [this](int code) {
    events_.lines.push_back("alert ended " + std::to_string(code));
    loop_.perform([this] { loop_.stop(); });
  }));
  EXPECT_EQ(parent_.attached_sheet(), &alert);
  EXPECT_FALSE(sheet_.begin_sheet(parent_, loop_, nullptr));
  EXPECT_EQ(registry_.perform("answer alert BUTTON_YES"), "ok");
  run_until_ended();
  EXPECT_EQ(events_.lines.back(), "notification Preferences");
  EXPECT_EQ(events_.lines, (std::vector<std::string>{
                               events_.lines.front(), "alert ended 1001",
                               "did end alert on Preferences", "notification Preferences"}));
  EXPECT_EQ(events_.lines.front().rfind("position alert on Preferences", 0), 0u);
  EXPECT_EQ(parent_.attached_sheet(), nullptr);
}

}  // namespace
}  // namespace platform::ui
