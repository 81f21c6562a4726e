// The accessory panel inside the server: categories from the V-mode tables, the grid, the
// abbreviation list, what a click inserts and into whom, the fade and the closing rules.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>

#include "IMKKEP/windows/KEPAccessory.h"
#include "IMKKEP/app/KEPAppDelegate.h"
#include "IMKKEP/engine/KEPConvertEngine.h"
#include "IMKKEP/base/server_state.h"
#include "keyroad_fixture.h"
#include "loop_wait.h"
#include "platform/notify.h"

namespace keyroad_test {
namespace {

using namespace std::chrono_literals;

std::string numbered_items(int count) {
  std::string items;
  for (int i = 0; i < count; ++i) items += (i ? "," : "") + std::string("字") + std::to_string(i);
  return items;
}

class AccessoryPanelTest : public KeyRoadTest {
 protected:
  void SetUp() override {
    KeyRoadTest::SetUp();
    accessory_ = std::make_unique<imkkep::KEPAccessory>(loop_, nullptr);
  }
  void TearDown() override {
    accessory_.reset();
    // A silent application of a test must not leave the server silent for the next.
    imkkep::silent_mode = 0;
    KeyRoadTest::TearDown();
  }

  // Writes the user's tables and reloads them as an activation does.
  void write_user_tables(const std::string& vmode, const std::string& abbr = "") {
    const std::filesystem::path folder = home_.path() / "Library/KEP";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "vmode.txt") << vmode;
    if (!abbr.empty()) std::ofstream(folder / "abbr.txt") << abbr;
    ASSERT_EQ(imkkep::IMEReload(), 0);
  }

  // Whether the panel dimmed because the pointer stayed away, and its fade has ended.
  bool faded() {
    return accessory_->tracked() == 1 && !accessory_->panel().animator().is_animating() &&
           accessory_->panel().animator().target() < 1.0;
  }
  // Runs the loop until the panel's running fade has ended.
  bool settle() {
    return server_test::run_until(loop_,
                                  [&] { return !accessory_->panel().animator().is_animating(); });
  }

  // Chooses the pop-up's category with `key` as the user would.
  void choose(const std::string& key) {
    platform::ui::PopUpButton& selector = accessory_->charSelector();
    for (int i = 0; i < static_cast<int>(selector.items().size()); ++i) {
      const std::string& title = selector.items()[i].title;
      if (title.size() > key.size() && title.ends_with(" " + key)) {
        ASSERT_TRUE(selector.choose_item(i));
        return;
      }
    }
    FAIL() << "no category " << key;
  }

  std::unique_ptr<imkkep::KEPAccessory> accessory_;
  engine_test::ScopedEnv screens_{"KEP_SCREENS", "0,0,1000,800,50,20,950,760"};
};

TEST_F(AccessoryPanelTest, TwentyFiveItemsMakeThreeRowsOfTenAndAClickInsertsItsItem) {
  write_user_tables("zz 二十五 " + numbered_items(25) + "\n");
  FakeClient client;
  open(client);
  accessory_->showAccPanel();
  choose("zz");
  const imkkep::CharAccMatrixView& grid = accessory_->charMatrix();
  EXPECT_EQ(grid.rows(), 3);
  EXPECT_EQ(grid.columns(), 10);
  ASSERT_EQ(grid.buttons().size(), 25u);
  for (int k = 0; k < 25; ++k) EXPECT_EQ(grid.buttons()[k]->title(), "字" + std::to_string(k));
  // Row 1, column 2 of a grid hanging from the top of its 206 points.
  EXPECT_EQ(grid.buttons()[12]->frame(), (platform::ui::Rect{66, 140, 32, 32}));

  grid.buttons()[12]->perform_click();
  EXPECT_EQ(client.inserted(), std::vector<std::string>{"字12"});
}

TEST_F(AccessoryPanelTest, ALongCategoryShowsItsFirst128ItemsInAScrolledGrid) {
  write_user_tables("zz 长 " + numbered_items(200) + "\n");
  accessory_->showAccPanel();
  choose("zz");
  const imkkep::CharAccMatrixView& grid = accessory_->charMatrix();
  EXPECT_EQ(grid.count(), 128);
  EXPECT_EQ(grid.rows(), 13);
  EXPECT_EQ(grid.frame().height, 13 * 33);
  EXPECT_EQ(grid.buttons().back()->title(), "字127");
}

TEST_F(AccessoryPanelTest, WithoutAnActiveApplicationAClickInsertsNothing) {
  write_user_tables("zz 少 a,b\n");
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  accessory_->showAccPanel();
  choose("zz");
  controller.deactivateServer(client, platform::imk::DeactivationReason::FocusMoved, "");
  accessory_->charMatrix().buttons()[0]->perform_click();
  EXPECT_TRUE(client.inserted().empty());
}

TEST_F(AccessoryPanelTest, ADoubleClickedAbbreviationIsInsertedAndNeverEdited) {
  write_user_tables("zz 少 a\n", "bj 北京市海淀区,北京\nsh 上海\n");
  FakeClient client;
  open(client);
  accessory_->showAccPanel();
  platform::ui::TableView& table = accessory_->abbrView();
  ASSERT_EQ(table.number_of_rows(), 3);
  EXPECT_EQ(table.data_source()->object_value(table, "TEXT", 1), "北京");
  EXPECT_EQ(table.data_source()->object_value(table, "OTHER", 1), std::nullopt);
  EXPECT_FALSE(table.data_source()->should_edit(table, "TEXT", 2));
  EXPECT_FALSE(table.data_source()->should_edit(table, "TEXT", 3));
  EXPECT_EQ(client.inserted(), std::vector<std::string>{"上海"});
}

TEST_F(AccessoryPanelTest, UserOnlyLeavesTheUserCategoriesAlone) {
  write_user_tables("zz 甲 a\nyy 乙 b\n");
  accessory_->showAccPanel();
  platform::ui::CheckBox& user_only = accessory_->userOnly();
  EXPECT_FALSE(user_only.is_hidden());
  user_only.perform_click();
  const platform::ui::PopUpItem* selected = accessory_->charSelector().selected_item();
  ASSERT_NE(selected, nullptr);
  EXPECT_EQ(selected->title, "甲 zz");
  int shown = 0;
  for (const platform::ui::PopUpItem& item : accessory_->charSelector().items()) {
    if (!item.hidden) ++shown;
  }
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(accessory_->charMatrix().buttons()[0]->title(), "a");
}

TEST_F(AccessoryPanelTest, OpensInTheLowerRightCornerAndDimsWhenThePointerStaysAway) {
  write_user_tables("zz 少 a\n");
  imkkep::KEPAccPanel& panel = accessory_->panel();
  const auto shown_at = std::chrono::steady_clock::now();
  accessory_->showAccPanel();
  ASSERT_TRUE(panel.is_visible());
  EXPECT_EQ(panel.frame(), (platform::ui::Rect{50 + 950 - 350 - 6, 25, 350, 290}));
  EXPECT_DOUBLE_EQ(panel.animator().target(), 1.0) << "it brightens as it opens";
  ASSERT_TRUE(server_test::run_until(loop_, [&] { return faded(); }));
  EXPECT_GE(std::chrono::steady_clock::now() - shown_at, imkkep::KEPAccessory::kFadeDelay)
      << "dimmed before the pointer had its time to come";
  EXPECT_NEAR(panel.alpha(), 0.3, 1e-9);
  EXPECT_EQ(accessory_->tracked(), 1);

  // The pointer over it brightens it, leaving dims it again.
  ASSERT_TRUE(panel.handle_tracking(1, true));
  ASSERT_TRUE(settle());
  EXPECT_DOUBLE_EQ(panel.alpha(), 1.0);
  ASSERT_TRUE(panel.handle_tracking(1, false));
  ASSERT_TRUE(settle());
  EXPECT_NEAR(panel.alpha(), 0.3, 1e-9);
}

TEST_F(AccessoryPanelTest, ThePointerArrivingInTimeKeepsItBright) {
  accessory_->showAccPanel();
  imkkep::KEPAccPanel& panel = accessory_->panel();
  // Due with the panel's own fade, after it.
  server_test::DeadlineMark fade_due(loop_, imkkep::KEPAccessory::kFadeDelay);
  ASSERT_TRUE(panel.handle_tracking(1, true));
  ASSERT_TRUE(fade_due.wait());
  ASSERT_TRUE(settle());
  EXPECT_DOUBLE_EQ(panel.alpha(), 1.0);
}

TEST_F(AccessoryPanelTest, ReopeningSoonAfterClosingIsNotDimmedByTheEarlierTimer) {
  imkkep::KEPAccPanel& panel = accessory_->panel();
  accessory_->showAccPanel();
  // Comes due with the first showing's fade, before the second showing's: what the panel is
  // then is what the earlier timer left of the second showing.
  double target_then = 0;
  int tracked_then = -1;
  server_test::DeadlineMark first_fade_due(loop_, imkkep::KEPAccessory::kFadeDelay, [&] {
    target_then = panel.animator().target();
    tracked_then = accessory_->tracked();
  });
  loop_.run_for(500ms);  // the second showing's fade comes due at least this much later
  accessory_->showAccPanel();  // closes
  EXPECT_FALSE(panel.is_visible());
  accessory_->showAccPanel();
  ASSERT_TRUE(first_fade_due.wait());
  EXPECT_EQ(target_then, 1.0);
  EXPECT_EQ(tracked_then, 0) << "the second showing was faded by the first one's timer";
  // Its own fade still comes.
  ASSERT_TRUE(server_test::run_until(loop_, [&] { return faded(); }));
  EXPECT_NEAR(panel.alpha(), 0.3, 1e-9);
}

TEST_F(AccessoryPanelTest, TheMenuItemTogglesAndCloseAccAndSilentApplicationsCloseIt) {
  imkkep::KEPAppDelegate& delegate = imkkep::KEPAppDelegate::shared();
  delegate.createWindows(loop_, nullptr);
  ASSERT_TRUE(delegate.registerObservers(loop_));
  FakeClient client;
  imkkep::KEPInputController& controller = open(client);
  imkkep::KEPAccPanel& panel = delegate.accessory()->panel();

  EXPECT_TRUE(delegate.perform(imkkep::kMenuAccessory, controller));
  EXPECT_TRUE(panel.is_visible());
  EXPECT_TRUE(delegate.perform(imkkep::kMenuAccessory, controller));
  EXPECT_FALSE(panel.is_visible());

  delegate.showAccPanel();
  platform::notify::NotificationCenter::local().post({"CLOSEACC", ""});
  EXPECT_FALSE(panel.is_visible());

  delegate.showAccPanel();
  controller.deactivateServer(client, platform::imk::DeactivationReason::InputSourceChanged,
                              "com.example.keylayout.US");
  EXPECT_FALSE(panel.is_visible());

  delegate.showAccPanel();
  set_setting("KeepSilent", true);
  set_setting("SilentLists", std::string("/Applications/Quiet.app"));
  FakeClient quiet;
  quiet.info_.application_path = "/Applications/Quiet.app";
  quiet.info_.bundle_identifier = "com.example.quiet";
  open(quiet);
  EXPECT_FALSE(panel.is_visible());

  delegate.unregisterObservers();
  delegate.destroyWindows();
}

}  // namespace
}  // namespace keyroad_test
