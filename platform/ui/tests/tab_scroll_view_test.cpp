#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/text.h"
#include "platform/ui/controls.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/tab_view.h"
#include "platform/ui/tests/view_test_support.h"

namespace platform::ui {
namespace {

using test_support::RecordingView;

TEST(TabViewTest, LabelsRunLeftToRightAndAClickShowsOnlyThatTab) {
  std::vector<std::string> log;
  Window window("TestProgram", "tabs", Rect{0, 0, 300, 200});
  window.set_content_view(std::make_unique<TabView>(Rect{}));
  auto& tabs = static_cast<TabView&>(*window.content_view());
  View& general = tabs.add_tab("general", "General");
  View& advanced = tabs.add_tab("advanced", "Advanced");
  general.add_subview(std::make_unique<RecordingView>("general", Rect{0, 0, 300, 176}, log));
  advanced.add_subview(std::make_unique<RecordingView>("advanced", Rect{0, 0, 300, 176}, log));

  const double first_width = gfx::measure("General", system_font()).width + 20;
  EXPECT_EQ(tabs.label_rect(0), (Rect{0, 176, first_width, 24}));
  const Rect second = *tabs.label_rect(1);
  EXPECT_EQ(second.x, first_width);
  EXPECT_EQ(second.width, gfx::measure("Advanced", system_font()).width + 20);
  EXPECT_FALSE(tabs.label_rect(2));
  EXPECT_EQ(general.frame(), (Rect{0, 0, 300, 176})) << "contents fill below the labels";
  EXPECT_EQ(tabs.index_of_selected_tab(), 0);
  EXPECT_TRUE(advanced.is_hidden());

  window.handle_mouse({MouseEventType::Down, {10, 10}});
  EXPECT_EQ(log, std::vector<std::string>{"general down 10,10 x1"});
  window.handle_mouse({MouseEventType::Up, {10, 10}});

  window.handle_mouse({MouseEventType::Down, {second.x + 2, 190}});
  EXPECT_EQ(tabs.index_of_selected_tab(), 1);
  EXPECT_TRUE(general.is_hidden());
  EXPECT_FALSE(advanced.is_hidden());
  window.handle_mouse({MouseEventType::Up, {second.x + 2, 190}});
  window.handle_mouse({MouseEventType::Down, {10, 10}});
  EXPECT_EQ(log.back(), "advanced down 10,10 x1") << "the hidden tab gets no clicks";

  window.handle_mouse({MouseEventType::Up, {10, 10}});
  window.handle_mouse({MouseEventType::Down, {299, 190}});  // the row, past the last label
  EXPECT_EQ(tabs.index_of_selected_tab(), 1);
  tabs.select_tab_at(5);
  EXPECT_EQ(tabs.index_of_selected_tab(), 1);

  const plist::Dictionary shown = test_support::described(tabs);
  EXPECT_EQ(test_support::strings(test_support::array_at(shown, "tabs")),
            (std::vector<std::string>{"General", "Advanced"}));
  EXPECT_EQ(test_support::integer_at(shown, "selected"), 1);

  window.set_frame(Rect{0, 0, 400, 300});
  EXPECT_EQ(advanced.frame(), (Rect{0, 0, 400, 276})) << "contents follow the tab view's size";
}

// A 100x50 scroll view over a 100x200 document.
struct Scrolled {
  ScrollView scroll{Rect{0, 0, 100, 50}};
  View* document = nullptr;
  Scrolled() { document = &scroll.set_document_view(std::make_unique<View>(Rect{0, 0, 100, 200})); }
  double visible_y() const { return scroll.document_visible_rect().y; }
};

TEST(ScrollViewTest, TheVisibleOriginIsClampedToTheDocument) {
  Scrolled scrolled;
  EXPECT_EQ(scrolled.visible_y(), 150) << "a new document shows its top";
  struct Case {
    double to;
    double visible;
  };
  const Case cases[] = {{40, 40}, {-10, 0}, {200, 150}, {150, 150}, {1e9, 150}, {0, 0}};
  for (const Case& c : cases) {
    scrolled.scroll.scroll_to_point(Point{0, c.to});
    EXPECT_EQ(scrolled.visible_y(), c.visible) << c.to;
    EXPECT_EQ(scrolled.scroll.document_visible_rect().height, 50);
  }
  scrolled.scroll.scroll_to_point(Point{0, 40});
  EXPECT_TRUE(scrolled.scroll.scroll_wheel(Point{}, 10));
  EXPECT_EQ(scrolled.visible_y(), 50) << "a positive wheel shows what is above";
  scrolled.scroll.scroll_wheel(Point{}, -100);
  EXPECT_EQ(scrolled.visible_y(), 0);

  scrolled.scroll.scroll_to_point(Point{0, 150});
  const Rect shown_from = scrolled.document->frame();
  scrolled.document->set_frame(Rect{shown_from.x, shown_from.y, 100, 80});
  scrolled.scroll.tile();
  EXPECT_EQ(scrolled.visible_y(), 30) << "a shorter document pulls the view back";
  scrolled.document->set_frame(Rect{0, 0, 100, 20});
  scrolled.scroll.tile();
  EXPECT_EQ(scrolled.visible_y(), 0) << "a document shorter than the view starts at 0";
}

TEST(ScrollViewTest, ClicksReachTheDocumentWhereItIsShown) {
  Window window("TestProgram", "scrolled", Rect{0, 0, 100, 50});
  auto owned = std::make_unique<ScrollView>(Rect{});
  ScrollView& scroll = *owned;
  window.set_content_view(std::move(owned));
  std::vector<std::string> log;
  View& document = scroll.set_document_view(std::make_unique<View>(Rect{0, 0, 100, 200}));
  document.add_subview(std::make_unique<RecordingView>("top", Rect{0, 190, 100, 10}, log));
  document.add_subview(std::make_unique<RecordingView>("bottom", Rect{0, 0, 100, 10}, log));

  window.handle_mouse({MouseEventType::Down, {5, 45}});
  window.handle_mouse({MouseEventType::Up, {5, 45}});
  window.handle_scroll(Point{5, 45}, -1000);  // the recorders do not take it; the scroll view does
  window.handle_mouse({MouseEventType::Down, {5, 5}});
  EXPECT_EQ(log, (std::vector<std::string>{"top down 5,5 x1", "top up 5,5 x1",
                                           "top scroll 5,5 -1000", "bottom down 5,5 x1"}));
  const plist::Dictionary shown = test_support::described(scroll);
  const plist::Dictionary* visible = test_support::dictionary_at(shown, "visible");
  ASSERT_TRUE(visible);
  EXPECT_EQ(visible->find("y")->real_value(), 0);
}

}  // namespace
}  // namespace platform::ui
