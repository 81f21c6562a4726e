#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/tests/test_support.h"
#include "platform/ui/tests/view_test_support.h"
#include "platform/ui/tests/window_test_support.h"
#include "platform/ui/view.h"
#include "platform/ui/window.h"

namespace platform::ui {
namespace {

using test_support::bool_at;
using test_support::dictionary_at;
using test_support::read_state_file;
using test_support::RenderDir;

class RecordingDelegate : public WindowDelegate {
 public:
  explicit RecordingDelegate(bool allows) : allows_(allows) {}
  bool window_should_close(Window& window) override {
    log.push_back("should " + window.name());
    return allows_;
  }
  void window_will_close(Window& window) override {
    log.push_back("will " + window.name() + (window.is_visible() ? " visible" : " hidden"));
  }
  std::vector<std::string> log;

 private:
  bool allows_;
};

TEST(WindowCloseTest, TheDelegateDecidesAUsersCloseAndIsToldOfEveryClose) {
  RenderDir render;
  struct Case {
    const char* what;
    unsigned style;
    bool has_delegate;
    bool allows;
    bool closes;
    std::vector<std::string> log;
  };
  const unsigned closable = kTitledWindowMask | kClosableWindowMask;
  const Case cases[] = {
      {"allowed", closable, true, true, true, {"should Prefs", "will Prefs visible"}},
      {"refused", closable, true, false, false, {"should Prefs"}},
      {"no delegate", closable, false, false, true, {}},
      {"no close button", kTitledWindowMask, true, true, false, {}},
  };
  for (const Case& c : cases) {
    Window window("TestProgram", "Prefs", Rect{0, 0, 40, 30}, c.style);
    RecordingDelegate delegate(c.allows);
    if (c.has_delegate) window.set_delegate(&delegate);
    window.make_key_and_order_front();
    EXPECT_EQ(window.perform_close(), c.closes) << c.what;
    EXPECT_EQ(window.is_visible(), !c.closes) << c.what;
    EXPECT_EQ(window.is_closed(), c.closes) << c.what;
    EXPECT_EQ(window.is_key(), !c.closes) << c.what;
    EXPECT_EQ(delegate.log, c.log) << c.what;

    std::error_code error;
    ASSERT_TRUE(window.display(error)) << error.message();
    const plist::Dictionary state = read_state_file(render.file("Prefs.state"));
    EXPECT_EQ(bool_at(state, "closed"), c.closes) << c.what;
    EXPECT_EQ(bool_at(state, "visible"), !c.closes) << c.what;
  }
}

TEST(WindowCloseTest, AProgramsCloseAsksNobodyAndShowingAgainReopens) {
  Window window("TestProgram", "Prefs", Rect{0, 0, 40, 30});
  RecordingDelegate delegate(false);
  window.set_delegate(&delegate);
  window.make_key_and_order_front();
  window.close();
  EXPECT_EQ(delegate.log, std::vector<std::string>{"will Prefs visible"});
  EXPECT_TRUE(window.is_closed());
  window.close();
  EXPECT_EQ(delegate.log.size(), 1u) << "a closed window is not closed twice";
  window.make_key_and_order_front();
  EXPECT_FALSE(window.is_closed());
  EXPECT_TRUE(window.is_visible() && window.is_key());
}

TEST(WindowSizeTest, FrameChangesAreHeldToTheMinimumAndMaximum) {
  Window window("TestProgram", "sized", Rect{10, 20, 300, 200});
  ASSERT_TRUE(window.set_min_size(Size{200, 100}));
  ASSERT_TRUE(window.set_max_size(Size{400, 300}));
  struct Case {
    Rect asked;
    Rect held;
  };
  const Case cases[] = {
      {{5, 6, 250, 150}, {5, 6, 250, 150}},
      {{5, 6, 100, 50}, {5, 6, 200, 100}},
      {{5, 6, 1000, 1000}, {5, 6, 400, 300}},
      {{5, 6, 100, 1000}, {5, 6, 200, 300}},
      {{5, 6, 200, 100}, {5, 6, 200, 100}},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(window.set_frame(c.asked));
    EXPECT_EQ(window.frame(), c.held) << c.asked.width << "x" << c.asked.height;
  }

  // A new bound holds the frame at once; bounds that cross, or are not sizes, are refused.
  ASSERT_TRUE(window.set_min_size(Size{260, 120}));
  EXPECT_EQ(window.frame(), (Rect{5, 6, 260, 120}));
  ASSERT_TRUE(window.set_max_size(Size{260, 120}));
  EXPECT_FALSE(window.set_max_size(Size{250, 500}));
  EXPECT_FALSE(window.set_min_size(Size{300, 100}));
  EXPECT_FALSE(window.set_min_size(Size{-1, 10}));
  EXPECT_FALSE(window.set_max_size(Size{std::nan(""), 500}));
  EXPECT_EQ(window.min_size().width, 260);
  EXPECT_EQ(window.max_size().height, 120);
}

TEST(WindowSizeTest, TheStateShowsTheBounds) {
  RenderDir render;
  Window window("TestProgram", "sized", Rect{0, 0, 300, 200});
  ASSERT_TRUE(window.set_min_size(Size{120, 80}));
  ASSERT_TRUE(window.set_max_size(Size{640, 480}));
  std::error_code error;
  ASSERT_TRUE(window.display(error)) << error.message();
  const plist::Dictionary state = read_state_file(render.file("sized.state"));
  const plist::Dictionary* min = dictionary_at(state, "minSize");
  const plist::Dictionary* max = dictionary_at(state, "maxSize");
  ASSERT_TRUE(min && max);
  EXPECT_EQ(min->find("width")->real_value(), 120.0);
  EXPECT_EQ(min->find("height")->real_value(), 80.0);
  EXPECT_EQ(max->find("width")->real_value(), 640.0);
  EXPECT_EQ(max->find("height")->real_value(), 480.0);
}

TEST(WindowSizeTest, CenterPlacesTheWindowOnTheMainScreensVisibleFrame) {
  testing_support::ScopedEnv screens("KEP_SCREENS", "0,0,1000,800,0,0,1000,780;1000,0,500,500");
  Window window("TestProgram", "centred", Rect{900, 900, 400, 200});
  window.center();
  // Centred across; of the 580 points left over in height, a third is above.
  EXPECT_EQ(window.frame(), (Rect{300, 386, 400, 200}));
}

}  // namespace
}  // namespace platform::ui
