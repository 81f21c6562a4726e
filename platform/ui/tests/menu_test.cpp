#include "platform/ui/menu.h"

#include <gtest/gtest.h>

namespace {

using platform::ui::Menu;
using platform::ui::MenuItem;

MenuItem item(int tag, std::string title) {
  MenuItem made;
  made.tag = tag;
  made.title = std::move(title);
  return made;
}

TEST(MenuTest, ItemsAreFoundByTagAndSeparatorsNever) {
  Menu menu;
  menu.add(item(7, "first"));
  menu.add_separator();
  menu.add(item(8, "second"));
  menu.add(item(7, "shadowed"));

  ASSERT_EQ(menu.items().size(), 4u);
  EXPECT_TRUE(menu.items()[1].separator);
  ASSERT_NE(menu.item_with_tag(7), nullptr);
  EXPECT_EQ(menu.item_with_tag(7)->title, "first");
  EXPECT_EQ(menu.item_with_tag(8)->title, "second");
  EXPECT_EQ(menu.item_with_tag(0), nullptr) << "a separator's tag 0 finds nothing";
  EXPECT_EQ(menu.item_with_tag(9), nullptr);
}

TEST(MenuTest, AFoundItemStaysValidWhileTheMenuGrows) {
  Menu menu;
  MenuItem* held = &menu.add(item(1, "held"));
  for (int tag = 2; tag < 200; ++tag) menu.add(item(tag, "more"));
  held->state = platform::ui::kStateOn;
  EXPECT_EQ(menu.item_with_tag(1)->state, platform::ui::kStateOn);
}

TEST(MenuTest, PerformRunsOnlyAnEnabledItemsActionWithTheItem) {
  Menu menu;
  std::vector<std::string> ran;
  auto record = [&ran](MenuItem& sender) {
    ran.push_back(sender.title);
    sender.state = platform::ui::kStateOn;
  };
  MenuItem on = item(1, "on");
  on.action = record;
  MenuItem off = item(2, "off");
  off.action = record;
  off.enabled = false;
  menu.add(std::move(on));
  menu.add(std::move(off));
  menu.add(item(3, "no action"));

  struct Case {
    int tag;
    bool performed;
  };
  for (const Case& c : {Case{1, true}, Case{2, false}, Case{3, false}, Case{4, false}}) {
    EXPECT_EQ(menu.perform(c.tag), c.performed) << c.tag;
  }
  EXPECT_EQ(ran, std::vector<std::string>{"on"});
  EXPECT_EQ(menu.item_with_tag(1)->state, platform::ui::kStateOn) << "the action got its item";
  EXPECT_EQ(menu.item_with_tag(2)->state, platform::ui::kStateOff);
}

}  // namespace
