#include "platform/ui/popup_button.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/tests/view_test_support.h"
#include "platform/ui/tests/window_test_support.h"
#include "platform/ui/window_registry.h"

namespace platform::ui {
namespace {

using test_support::RenderDir;

// Window "prefs" at (100,200) 300x200 holding a pop-up at (20,150) 120x22 with the items
// One, Two (hidden), a separator and Three. Its menu's top-left lands at screen (120, 350);
// rows from the top: One 18 pt, the separator 8 pt, Three 18 pt.
struct Prefs {
  RenderDir render;
  WindowRegistry registry;
  std::unique_ptr<Window> window =
      std::make_unique<Window>("TestProgram", "prefs", Rect{100, 200, 300, 200});
  PopUpButton* popup = nullptr;
  std::vector<int> chosen;

  Prefs() {
    registry.add(*window);
    window->set_content_view(std::make_unique<View>());
    window->order_front();
    popup = &window->content_view()->add_subview(
        std::make_unique<PopUpButton>(Rect{20, 150, 120, 22}));
    popup->add_item("One", 10);
    popup->add_item("Two", 20);
    popup->add_separator();
    popup->add_item("Three", 30);
    popup->set_item_hidden(1, true);
    popup->set_action([this](PopUpButton& sender) {
      chosen.push_back(sender.index_of_selected_item());
    });
  }
  plist::Dictionary menu_state() const { return test_support::read_state_file(render.file("prefs.menu.state")); }
};

TEST(PopUpButtonTest, AClickOpensTheMenuWindowBelowTheButtonListingTheVisibleRows) {
  Prefs prefs;
  EXPECT_EQ(prefs.popup->index_of_selected_item(), 0) << "the first item added shows";
  ASSERT_EQ(prefs.registry.perform("down prefs 30 160"), "ok");
  ASSERT_TRUE(prefs.popup->is_menu_open());
  Window* menu = prefs.registry.find("prefs.menu");
  ASSERT_TRUE(menu);
  EXPECT_EQ(menu->program(), "TestProgram");
  EXPECT_EQ(menu->level(), kPopUpMenuWindowLevel);
  EXPECT_TRUE(menu->is_visible());
  EXPECT_EQ(menu->frame(), (Rect{120, 306, 120, 44}));

  const plist::Dictionary state = prefs.menu_state();
  const plist::Dictionary* shows = test_support::dictionary_at(state, "shows");
  ASSERT_TRUE(shows);
  const plist::Array* rows = test_support::array_at(*shows, "rows");
  ASSERT_TRUE(rows && rows->size() == 2) << "Two is hidden, the separator is no row";
  struct Row {
    const char* title;
    int index;
    double y;
  };
  const Row expected[] = {{"One", 0, 26}, {"Three", 3, 0}};
  for (std::size_t i = 0; i < 2; ++i) {
    const plist::Dictionary& row = *(*rows)[i].as_dictionary();
    EXPECT_EQ(test_support::string_at(row, "title"), expected[i].title);
    EXPECT_EQ(test_support::integer_at(row, "index"), expected[i].index);
    EXPECT_EQ(row.find("y")->real_value(), expected[i].y);
    EXPECT_EQ(row.find("height")->real_value(), 18);
  }

  const plist::Dictionary described = test_support::described(*prefs.popup);
  EXPECT_EQ(test_support::strings(test_support::array_at(described, "items")),
            (std::vector<std::string>{"One", "-", "Three"}));
  EXPECT_EQ(test_support::bool_at(described, "menu_open"), true);
  EXPECT_EQ(test_support::string_at(described, "selected_title"), "One");
}

TEST(PopUpButtonTest, AClickOnARowChoosesRunsTheActionAndCloses) {
  for (const char* verb : {"up", "down"}) {
    Prefs prefs;
    ASSERT_EQ(prefs.registry.perform("down prefs 30 160"), "ok");
    EXPECT_EQ(prefs.registry.perform(std::string(verb) + " prefs.menu 10 5"), "ok") << verb;
    EXPECT_EQ(prefs.chosen, std::vector<int>{3}) << verb;
    EXPECT_EQ(prefs.popup->selected_item()->title, "Three");
    EXPECT_FALSE(prefs.popup->is_menu_open());
    EXPECT_EQ(prefs.registry.find("prefs.menu"), nullptr);
    EXPECT_EQ(test_support::bool_at(prefs.menu_state(), "visible"), false)
        << "the closed menu's files say it is gone";
  }
}

TEST(PopUpButtonTest, ADownOutsideTheRowsClosesWithoutChoosing) {
  const Point outside[] = {{10, 20} /* the separator */, {10, 60}, {-5, 10}, {500, 5}};
  for (const Point& at : outside) {
    Prefs prefs;
    prefs.popup->open_menu();
    Window* menu = prefs.registry.find("prefs.menu");
    ASSERT_TRUE(menu);
    menu->handle_mouse({MouseEventType::Down, at});
    EXPECT_FALSE(prefs.popup->is_menu_open()) << at.x << "," << at.y;
    EXPECT_TRUE(prefs.chosen.empty());
    EXPECT_EQ(prefs.popup->index_of_selected_item(), 0);
  }
}

TEST(PopUpButtonTest, TheMenuReopensAndGoesWithItsButton) {
  Prefs prefs;
  prefs.popup->open_menu();
  prefs.popup->open_menu();
  EXPECT_TRUE(prefs.registry.find("prefs.menu")) << "a second opening replaces the first";
  // The action takes the button away while the menu is still handling the click.
  prefs.popup->set_action([&](PopUpButton& sender) {
    prefs.chosen.push_back(sender.index_of_selected_item());
    sender.superview()->remove_subview(sender);
  });
  EXPECT_EQ(prefs.registry.perform("up prefs.menu 10 30"), "ok");
  EXPECT_EQ(prefs.chosen, std::vector<int>{0});
  EXPECT_EQ(prefs.registry.find("prefs.menu"), nullptr);

  // Destroying the window closes an open menu of its buttons.
  Prefs other;
  other.popup->open_menu();
  other.window.reset();
  EXPECT_EQ(other.registry.find("prefs.menu"), nullptr);
}

TEST(PopUpButtonTest, ChoosingAndSelectingRefuseWhatCannotBeChosen) {
  Prefs prefs;
  EXPECT_FALSE(prefs.popup->choose_item(1)) << "hidden";
  EXPECT_FALSE(prefs.popup->choose_item(2)) << "separator";
  EXPECT_FALSE(prefs.popup->choose_item(4));
  EXPECT_FALSE(prefs.popup->choose_item(-1));
  EXPECT_TRUE(prefs.chosen.empty());
  prefs.popup->select_item_at(2);
  EXPECT_EQ(prefs.popup->index_of_selected_item(), 0);
  prefs.popup->select_item_at(3);
  EXPECT_EQ(prefs.popup->index_of_selected_item(), 3);
  EXPECT_TRUE(prefs.chosen.empty()) << "selecting by program runs no action";
  EXPECT_EQ(prefs.popup->index_of_item_with_tag(30), 3);
  EXPECT_EQ(prefs.popup->index_of_item_with_tag(0), -1) << "the separator's tag never matches";
}

TEST(PopUpButtonTest, NoMenuWithoutARegistryOrVisibleItems) {
  RenderDir render;
  Window lone("TestProgram", "lone", Rect{0, 0, 200, 100});
  lone.set_content_view(std::make_unique<View>());
  auto& popup = lone.content_view()->add_subview(std::make_unique<PopUpButton>(Rect{0, 0, 50, 20}));
  popup.add_item("Only");
  popup.open_menu();
  EXPECT_FALSE(popup.is_menu_open());

  Prefs prefs;
  prefs.popup->remove_all_items();
  prefs.popup->add_separator();
  prefs.popup->open_menu();
  EXPECT_FALSE(prefs.popup->is_menu_open());
  EXPECT_EQ(prefs.popup->index_of_selected_item(), -1);
}

}  // namespace
}  // namespace platform::ui
