#include "platform/ui/view.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/controls.h"
#include "platform/ui/panel.h"
#include "platform/ui/tests/view_test_support.h"
#include "platform/ui/tests/window_test_support.h"
#include "platform/ui/window_registry.h"

namespace platform::ui {
namespace {

using test_support::FilledView;
using test_support::RecordingView;
using test_support::RecordingWindow;
using test_support::RenderDir;

// A 200x100 window whose content holds `outer` at (10,20) 100x50 and, inside it, `inner` at
// (5,5) 20x20: inner's (0,0) is window point (15,25).
struct Nested {
  std::vector<std::string> log;
  RecordingWindow window{"nested", Rect{0, 0, 200, 100}};
  View* root = nullptr;
  RecordingView* outer = nullptr;
  RecordingView* inner = nullptr;

  explicit Nested(bool inner_takes_down = false, bool inner_takes_scroll = false) {
    auto content = std::make_unique<View>();
    root = content.get();
    window.set_content_view(std::move(content));
    outer = &root->add_subview(std::make_unique<RecordingView>(
        "outer", Rect{10, 20, 100, 50}, log, /*takes_down=*/true, /*takes_scroll=*/true));
    inner = &outer->add_subview(std::make_unique<RecordingView>(
        "inner", Rect{5, 5, 20, 20}, log, inner_takes_down, inner_takes_scroll));
  }
};

TEST(ViewTest, HitTestFindsTheDeepestVisibleViewAndPointsConvert) {
  Nested nested;
  auto& cover = nested.outer->add_subview(std::make_unique<View>(Rect{0, 0, 100, 50}));
  cover.set_hidden(true);  // on top of inner, but hidden views are never hit
  struct Case {
    Point in_window;
    View* expected;
  };
  const Case cases[] = {
      {{16, 26}, nested.inner},  {{15, 25}, nested.inner},  {{34.9, 44.9}, nested.inner},
      {{35, 45}, nested.outer},  {{12, 22}, nested.outer},  {{150, 90}, nested.root},
      {{-1, 5}, nullptr},        {{200, 5}, nullptr},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(nested.root->hit_test(c.in_window), c.expected)
        << c.in_window.x << "," << c.in_window.y;
  }
  EXPECT_EQ(nested.inner->convert_to_window(Point{1, 2}), (Point{16, 27}));
  EXPECT_EQ(nested.inner->convert_from_window(Point{16, 27}), (Point{1, 2}));
  EXPECT_EQ(nested.inner->window(), &nested.window);

  nested.outer->set_hidden(true);
  EXPECT_TRUE(nested.inner->is_hidden_or_has_hidden_ancestor());
  EXPECT_EQ(nested.root->hit_test(Point{16, 26}), nested.root) << "a hidden subtree is skipped";
}

TEST(ViewTest, TheTakerOfTheDownGetsTheDragsAndTheUpInItsOwnPoints) {
  Nested nested;
  nested.window.handle_mouse({MouseEventType::Down, {16, 26}});
  nested.window.handle_mouse({MouseEventType::Dragged, {300, 300}});
  nested.window.handle_mouse({MouseEventType::Up, {17, 28}, 1});
  const std::vector<std::string> expected = {
      "inner down 1,1 x1",  // offered first, not taken
      "outer down 6,6 x1",  // the superview takes it
      "outer drag 290,280 x1",
      "outer up 7,8 x1",
  };
  EXPECT_EQ(nested.log, expected);
  EXPECT_TRUE(nested.window.log.empty()) << "the window's own handlers got nothing";

  // After the up nobody holds the mouse: a stray drag, and a down no view takes, reach the
  // window.
  nested.window.handle_mouse({MouseEventType::Dragged, {1, 1}});
  nested.window.handle_mouse({MouseEventType::Down, {150, 90}, 2});
  EXPECT_EQ(nested.window.log, (std::vector<std::string>{"drag 1,1 x1", "down 150,90 x2"}));
}

TEST(ViewTest, EventsNoViewTookGoToTheContentHandlerFirst) {
  Nested nested;
  std::vector<MouseEventType> content;
  nested.window.set_content_mouse_handler([&](const MouseEvent& event) {
    content.push_back(event.type);
    return event.type == MouseEventType::Down;
  });
  nested.window.handle_mouse({MouseEventType::Down, {150, 90}});
  nested.window.handle_mouse({MouseEventType::Up, {150, 90}});
  EXPECT_EQ(content, (std::vector<MouseEventType>{MouseEventType::Down, MouseEventType::Up}));
  EXPECT_EQ(nested.window.log, std::vector<std::string>{"up 150,90 x1"});
}

TEST(ViewTest, ABrokenOffDragEndsWhenTheViewHoldingTheMouseGoes) {
  Nested nested;
  nested.window.handle_mouse({MouseEventType::Down, {16, 26}});
  ASSERT_EQ(nested.log.back(), "outer down 6,6 x1");
  // Removing the holder (and replacing the whole tree) must leave no dangling holder.
  nested.root->remove_subview(*nested.outer);
  nested.window.handle_mouse({MouseEventType::Dragged, {20, 20}});
  nested.window.set_content_view(std::make_unique<View>());
  nested.window.handle_mouse({MouseEventType::Up, {20, 20}});
  EXPECT_EQ(nested.window.log, (std::vector<std::string>{"drag 20,20 x1", "up 20,20 x1"}));
}

TEST(ViewTest, AButtonWhoseActionRemovesItIsNotTouchedAfterwards) {
  Nested nested;
  int clicks = 0;
  auto& button = nested.root->add_subview(std::make_unique<Button>(Rect{150, 10, 40, 20}, "Go"));
  button.set_action([&](Button& sender) {
    ++clicks;
    sender.superview()->remove_subview(sender);
  });
  nested.window.handle_mouse({MouseEventType::Down, {160, 20}});
  nested.window.handle_mouse({MouseEventType::Up, {160, 20}});
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(nested.root->subviews().size(), 1u);
  nested.window.handle_mouse({MouseEventType::Up, {160, 20}});
  EXPECT_EQ(nested.window.log, std::vector<std::string>{"up 160,20 x1"});
}

TEST(ViewTest, AButtonWhoseActionDestroysItsWindowEndsTheCommand) {
  RenderDir render;
  WindowRegistry registry;
  auto window = std::make_unique<Window>("TestProgram", "doomed", Rect{0, 0, 100, 100});
  ASSERT_TRUE(registry.add(*window));
  window->set_content_view(std::make_unique<View>());
  int clicks = 0;
  auto& button =
      window->content_view()->add_subview(std::make_unique<Button>(Rect{0, 0, 50, 50}, "Close"));
  button.set_action([&](Button&) {
    ++clicks;
    window.reset();
  });
  // A double click: the first click's action destroys the window; the rest goes nowhere.
  EXPECT_EQ(registry.perform("double doomed 10 10"), "ok");
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(registry.find("doomed"), nullptr);
}

TEST(ViewTest, TheTreeIsDrawnTranslatedClippedAndWithoutHiddenSubtrees) {
  Window window("TestProgram", "drawn", Rect{0, 0, 100, 100});
  window.set_content_view(std::make_unique<View>());
  const gfx::Colour red{1, 0, 0, 1};
  const gfx::Colour blue{0, 0, 1, 1};
  auto& parent =
      window.content_view()->add_subview(std::make_unique<FilledView>(Rect{10, 10, 20, 20}, red));
  parent.add_subview(std::make_unique<FilledView>(Rect{5, 5, 5, 5}, blue));

  // Window point (x, y) is pixel (x, 99 - y).
  auto pixel_at = [&](double x, double y) {
    auto picture = window.render();
    EXPECT_TRUE(picture);
    return picture ? picture->pixel(static_cast<int>(x), static_cast<int>(99 - y)) : gfx::Pixel{};
  };
  const gfx::Pixel kRed{255, 0, 0, 255};
  const gfx::Pixel kBlue{0, 0, 255, 255};
  const gfx::Pixel kWhite{255, 255, 255, 255};
  struct Case {
    Point at;
    gfx::Pixel expected;
  };
  const Case shown[] = {
      {{11, 11}, kRed},   {{29, 29}, kRed},    {{16, 16}, kBlue}, {{19, 19}, kBlue},
      {{14, 14}, kRed},   {{20, 20}, kRed},    {{9, 11}, kWhite}, {{31, 31}, kWhite},
      {{50, 50}, kWhite},
  };
  for (const Case& c : shown) EXPECT_EQ(pixel_at(c.at.x, c.at.y), c.expected) << c.at.x << "," << c.at.y;

  parent.set_hidden(true);
  EXPECT_EQ(pixel_at(16, 16), kWhite) << "the hidden view's subviews are not drawn either";
  EXPECT_EQ(pixel_at(11, 11), kWhite);
}

TEST(ViewTest, TheStateHasTheTitleAndWhatTheViewsShowAndFollowsTheFrame) {
  RenderDir render;
  Window window("TestProgram", "prefs", Rect{0, 0, 200, 100});
  window.set_title("Preferences");
  auto content = std::make_unique<View>();
  content->set_identifier("root");
  window.set_content_view(std::move(content));
  window.content_view()->add_subview(std::make_unique<Button>(Rect{1, 2, 30, 20}, "OK"));
  auto& hidden = window.content_view()->add_subview(std::make_unique<View>(Rect{0, 0, 5, 5}));
  hidden.set_hidden(true);
  window.set_frame(Rect{0, 0, 300, 150});

  std::error_code error;
  ASSERT_TRUE(window.display(error)) << error.message();
  const plist::Dictionary state = test_support::read_state_file(render.file("prefs.state"));
  EXPECT_EQ(test_support::string_at(state, "title"), "Preferences");
  const plist::Dictionary* views = test_support::dictionary_at(state, "views");
  ASSERT_TRUE(views);
  EXPECT_EQ(test_support::string_at(*views, "kind"), "view");
  EXPECT_EQ(test_support::string_at(*views, "identifier"), "root");
  const plist::Dictionary* frame = test_support::dictionary_at(*views, "frame");
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->find("width")->real_value(), 300);
  EXPECT_EQ(frame->find("height")->real_value(), 150);
  const plist::Array* subviews = test_support::array_at(*views, "subviews");
  ASSERT_TRUE(subviews && subviews->size() == 2);
  const plist::Dictionary& button = *(*subviews)[0].as_dictionary();
  EXPECT_EQ(test_support::string_at(button, "kind"), "button");
  EXPECT_EQ(test_support::string_at(button, "title"), "OK");
  EXPECT_FALSE(button.contains("hidden"));
  EXPECT_EQ(test_support::bool_at(*(*subviews)[1].as_dictionary(), "hidden"), true);
}

TEST(ViewTest, ChangesToViewsMarkTheWindow) {
  Nested nested;
  std::error_code error;
  RenderDir render;
  ASSERT_TRUE(nested.window.display(error));
  EXPECT_FALSE(nested.window.needs_display());
  nested.inner->set_frame_origin(Point{1, 1});
  EXPECT_TRUE(nested.window.needs_display());
}

TEST(ViewTest, AScrollGoesToTheDeepestViewThenItsSuperviews) {
  Nested nested;
  WindowRegistry registry;
  ASSERT_TRUE(registry.add(nested.window));
  RenderDir render;
  EXPECT_EQ(registry.perform("scroll nested 16 26 10"), "ok");
  EXPECT_EQ(nested.log, (std::vector<std::string>{"inner scroll 1,1 10", "outer scroll 6,6 10"}));
  nested.log.clear();
  nested.window.handle_scroll(Point{150, 90}, -4);
  EXPECT_TRUE(nested.log.empty()) << "nothing under the pointer scrolls";
}

TEST(ViewTest, APanelFloatsAndBecomesKeyEvenWithoutATitle) {
  WindowRegistry registry;
  Panel panel("TestProgram", "tools", Rect{0, 0, 50, 50}, kBorderlessWindowMask);
  Window document("TestProgram", "document", Rect{0, 0, 50, 50});
  ASSERT_TRUE(registry.add(panel) && registry.add(document));
  EXPECT_EQ(panel.level(), kFloatingWindowLevel);
  document.make_key_and_order_front();
  panel.make_key_and_order_front();
  EXPECT_TRUE(panel.is_key());
  EXPECT_FALSE(document.is_key());
}

}  // namespace
}  // namespace platform::ui
