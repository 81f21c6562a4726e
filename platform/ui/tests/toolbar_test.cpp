#include "platform/ui/toolbar.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/tests/view_test_support.h"
#include "platform/ui/tests/window_test_support.h"
#include "platform/ui/window.h"

namespace platform::ui {
namespace {

using test_support::array_at;
using test_support::bool_at;
using test_support::described;
using test_support::dictionary_at;
using test_support::read_state_file;
using test_support::RenderDir;
using test_support::string_at;
using test_support::strings;

constexpr double kWidth = 320;
constexpr double kHeight = 200;

// A window with a toolbar of three selectable items that log their clicks.
struct ToolbarWindow {
  ToolbarWindow() {
    auto bar = std::make_unique<Toolbar>("PreferencesToolbar");
    for (const char* id : {"General", "Fuzzy", "Phrases"}) {
      ToolbarItem* item = bar->add_item(id, std::string(id) + " pane");
      item->set_selectable(true);
      item->set_action([this](ToolbarItem& sender) { clicks.push_back(sender.identifier()); });
    }
    toolbar = bar.get();
    window.set_toolbar(std::move(bar));
    window.set_content_view(std::make_unique<View>());
    window.order_front();
  }
  Window window{"TestProgram", "Prefs", Rect{0, 0, kWidth, kHeight}};
  Toolbar* toolbar = nullptr;
  std::vector<std::string> clicks;
};

TEST(ToolbarTest, ItsHeightIsInTheFrameButNotInTheContentView) {
  ToolbarWindow shown;
  const double bar = shown.toolbar->height();
  ASSERT_GT(bar, 40);
  EXPECT_EQ(shown.window.frame().height, kHeight);
  EXPECT_EQ(shown.window.content_view()->frame(), (Rect{0, 0, kWidth, kHeight - bar}));
  EXPECT_EQ(shown.toolbar->frame(), (Rect{0, kHeight - bar, kWidth, bar}));

  // Modes change the height, and the content view follows.
  shown.toolbar->set_display_mode(ToolbarDisplayMode::LabelOnly);
  const double labels_only = shown.toolbar->height();
  EXPECT_LT(labels_only, bar);
  EXPECT_EQ(shown.window.content_view()->frame().height, kHeight - labels_only);
  shown.toolbar->set_visible(false);
  EXPECT_EQ(shown.window.content_view()->frame().height, kHeight);
}

TEST(ToolbarTest, AClickSelectsTheItemAndRunsItsAction) {
  ToolbarWindow shown;
  EXPECT_EQ(shown.toolbar->selected_item_identifier(), "");
  for (const char* id : {"Fuzzy", "General", "General"}) {
    ToolbarItem* item = shown.toolbar->item(id);
    ASSERT_NE(item, nullptr);
    const Point middle = item->convert_to_window(Point{item->frame().width / 2, 10});
    shown.window.handle_mouse(MouseEvent{MouseEventType::Down, middle});
    shown.window.handle_mouse(MouseEvent{MouseEventType::Up, middle});
    EXPECT_EQ(shown.toolbar->selected_item_identifier(), id);
  }
  EXPECT_EQ(shown.clicks, (std::vector<std::string>{"Fuzzy", "General", "General"}));

  // A click that leaves the item before the release does nothing; a disabled item takes none.
  ToolbarItem* phrases = shown.toolbar->item("Phrases");
  const Point inside = phrases->convert_to_window(Point{5, 5});
  shown.window.handle_mouse(MouseEvent{MouseEventType::Down, inside});
  shown.window.handle_mouse(MouseEvent{MouseEventType::Up, Point{kWidth - 2, 2}});
  phrases->set_enabled(false);
  shown.window.handle_mouse(MouseEvent{MouseEventType::Down, inside});
  shown.window.handle_mouse(MouseEvent{MouseEventType::Up, inside});
  EXPECT_EQ(shown.toolbar->selected_item_identifier(), "General");
  EXPECT_EQ(shown.clicks.size(), 3u);

  // An item that is not selectable runs its action and leaves the selection alone.
  ToolbarItem* help = shown.toolbar->add_item("Help", "Help");
  help->set_action([&](ToolbarItem&) { shown.clicks.push_back("Help"); });
  std::string error;
  EXPECT_TRUE(shown.window.click_view("Help", &error)) << error;
  EXPECT_EQ(shown.clicks.back(), "Help");
  EXPECT_EQ(shown.toolbar->selected_item_identifier(), "General");
  EXPECT_FALSE(shown.toolbar->set_selected_item_identifier("Help"));
  EXPECT_FALSE(shown.toolbar->set_selected_item_identifier("Nowhere"));
  EXPECT_EQ(shown.toolbar->add_item("Help", "again"), nullptr) << "identifiers are unique";
}

TEST(ToolbarTest, TheStateListsTheItemsInOrderAndTheSelection) {
  RenderDir render;
  ToolbarWindow shown;
  shown.toolbar->item("Fuzzy")->set_tool_tip("Fuzzy pinyin");
  shown.toolbar->item("Fuzzy")->set_palette_label("Fuzzy Pinyin");
  ASSERT_TRUE(shown.toolbar->set_selected_item_identifier("Fuzzy"));
  std::error_code error;
  ASSERT_TRUE(shown.window.display(error)) << error.message();
  const plist::Dictionary state = read_state_file(render.file("Prefs.state"));
  const plist::Dictionary* bar = dictionary_at(state, "toolbar");
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(string_at(*bar, "identifier"), "PreferencesToolbar");
  EXPECT_EQ(strings(array_at(*bar, "items")),
            (std::vector<std::string>{"General", "Fuzzy", "Phrases"}));
  EXPECT_EQ(string_at(*bar, "selected"), "Fuzzy");
  EXPECT_EQ(string_at(*bar, "displayMode"), "default");
  const plist::Array* items = array_at(*bar, "subviews");
  ASSERT_TRUE(items && items->size() == 3);
  const plist::Dictionary& fuzzy = *(*items)[1].as_dictionary();
  EXPECT_EQ(string_at(fuzzy, "identifier"), "Fuzzy");
  EXPECT_EQ(string_at(fuzzy, "label"), "Fuzzy pane");
  EXPECT_EQ(string_at(fuzzy, "paletteLabel"), "Fuzzy Pinyin");
  EXPECT_EQ(string_at(fuzzy, "toolTip"), "Fuzzy pinyin");
  EXPECT_EQ(bool_at(fuzzy, "selected"), true);
  EXPECT_EQ(string_at(*(*items)[0].as_dictionary(), "paletteLabel"), "General pane")
      << "the label stands in for a palette label never set";
}

// Pixels of the picture that differ from the toolbar's fill inside `rect` (window points).
int ink_in(const gfx::Surface& picture, const Rect& rect) {
  const gfx::Pixel fill = picture.pixel(static_cast<int>(kWidth - 3), 3);
  int ink = 0;
  for (int y = static_cast<int>(rect.y); y < rect.y + rect.height; ++y) {
    for (int x = static_cast<int>(rect.x); x < rect.x + rect.width; ++x) {
      const gfx::Pixel pixel = picture.pixel(x, static_cast<int>(kHeight) - 1 - y);
      if (pixel != fill) ++ink;
    }
  }
  return ink;
}

TEST(ToolbarTest, LabelsAndIconsAreDrawn) {
  ToolbarWindow shown;
  auto icon = gfx::Surface::create(8, 8);
  ASSERT_TRUE(icon);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) icon->set_pixel(x, y, gfx::Pixel{200, 0, 0, 255});
  }
  shown.toolbar->item("Phrases")->set_image(*icon);
  // The content is white; the toolbar's own fill is what the corner pixel shows.
  auto picture = shown.window.render();
  ASSERT_TRUE(picture);
  for (ToolbarItem* item : shown.toolbar->items()) {
    const Rect label = item->label_rect();
    const Point origin = item->convert_to_window(Point{label.x, label.y});
    EXPECT_GT(ink_in(*picture, Rect{origin.x, origin.y, label.width, label.height}), 10)
        << item->identifier() << ": no label drawn";
  }
  ToolbarItem* phrases = shown.toolbar->item("Phrases");
  const Rect image = phrases->image_rect();
  const Point middle = phrases->convert_to_window(
      Point{image.x + image.width / 2, image.y + image.height / 2});
  EXPECT_EQ(picture->pixel(static_cast<int>(middle.x), static_cast<int>(kHeight - 1 - middle.y)),
            (gfx::Pixel{200, 0, 0, 255}))
      << "the icon is scaled into its place";
  const Rect none = shown.toolbar->item("General")->image_rect();
  const Point empty = shown.toolbar->item("General")->convert_to_window(Point{none.x, none.y});
  EXPECT_EQ(ink_in(*picture, Rect{empty.x, empty.y, none.width, none.height}), 0)
      << "an item without an icon leaves its place empty";
}

TEST(ToolbarTest, AnIconPathThatCannotBeReadLeavesNoIcon) {
  ToolbarWindow shown;
  ToolbarItem* item = shown.toolbar->item("General");
  std::string error;
  EXPECT_FALSE(item->set_image_path("/nonexistent/icon.png", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(item->image().has_value());
  const plist::Dictionary shows = described(*item);
  EXPECT_EQ(string_at(shows, "image"), "/nonexistent/icon.png");
  EXPECT_EQ(bool_at(shows, "hasImage"), false);
}

}  // namespace
}  // namespace platform::ui
