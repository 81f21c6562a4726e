// The user's shortcuts for the input menu's mode items.
#include <gtest/gtest.h>

#include "CoreSource/base/config.h"
#include "CoreSource/tests/engine_test_support.h"
#include "IMKKEP/app/KEPAppDelegate.h"
#include "IMKKEP/engine/KEPInputModes.h"

namespace {

namespace plist = platform::plist;

constexpr std::uint64_t kControl = 0x40000;
constexpr std::uint64_t kCommand = 0x100000;
constexpr std::uint64_t kOption = 0x80000;
constexpr std::uint64_t kShift = 0x20000;

class ShortcutsTest : public ::testing::Test {
 protected:
  void SetUp() override { kIMEConfigureDictionary = &settings_; }
  void TearDown() override { kIMEConfigureDictionary = nullptr; }

  plist::Dictionary settings_;
};

TEST_F(ShortcutsTest, EntriesGiveTheirModifiersAndKeyAndMalformedOnesTheDefaults) {
  struct Case {
    std::optional<std::string> setting;
    int slot_type;
    std::uint64_t mask;
    char key;
  } cases[] = {
      {"1001S|0000 |00000|00000|00000|1001Q|0001 ", 2, kControl | kShift, 'S'},
      {"1001S|0000 |00000|00000|00000|1001Q|0001 ", 3, 0, ' '},
      {"0100K|1010L|0001M|1111N|0010O|0000P|0000R", 2, kCommand, 'K'},
      {"0100K|1010L|0001M|1111N|0010O|0000P|0000R", 3, kControl | kOption, 'L'},
      {"0100K|1010L|0001M|1111N|0010O|0000P|0000R", 4, kShift, 'M'},
      {"0100K|1010L|0001M|1111N|0010O|0000P|0000R", 6, kControl | kCommand | kOption | kShift, 'N'},
      {"0100K|1010L|0001M|1111N|0010O|0000P|0000R", 7, kOption, 'O'},
      {"0100K|1010L|0001M|1111N|0010O|0000P|0000R", 8, 0, ' '},
      {"0100K|1010L|0001M|1111N|0010O|0000P|0000R", 9, 0, ' '},
      // Four and six characters: the slot's default.
      {"100S|1001Y", 2, kControl | kShift, 'S'},
      {"0000 |0000 |0000 |0000 |0000 |0100QQ", 8, kControl | kShift, 'Q'},
      // Missing entries and a missing setting: the defaults.
      {"0000 ", 9, kShift, ' '},
      {std::nullopt, 3, kControl | kShift, 'Y'},
      {std::nullopt, 4, 0, ' '},
      // Slot types with no item.
      {std::nullopt, 5, 0, ' '},
      {std::nullopt, 1, 0, ' '},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.setting.value_or("(none)") + " slot " + std::to_string(k.slot_type));
    settings_ = {};
    if (k.setting) settings_.set("MenuShortcut", *k.setting);
    char key = 'x';
    EXPECT_EQ(imkkep::GetShortcutModifier(k.slot_type, &key), k.mask);
    EXPECT_EQ(key, k.key);
  }
}

TEST_F(ShortcutsTest, AppliedShortcutsReachTheirItemsAndClearedOnesAreRemoved) {
  settings_.set("MenuShortcut", "1001S|0000 |00000|00000|00000|1001Q|0001T");
  imkkep::KEPApplyMenuShortcuts();
  const platform::ui::MenuItem* punct = imkkep::IMEGetMenuItem(imkkep::kMenuFullPunct);
  const platform::ui::MenuItem* trad = imkkep::IMEGetMenuItem(imkkep::kMenuTradOutput);
  ASSERT_TRUE(punct && trad);
  EXPECT_EQ(punct->key_equivalent, "S");
  EXPECT_EQ(punct->key_modifiers, kControl | kShift);
  EXPECT_EQ(trad->key_equivalent, "T");
  EXPECT_EQ(trad->key_modifiers, kShift);

  settings_.set("MenuShortcut", "00000|0000 |00000|00000|00000|1001Q|0000T");
  imkkep::KEPApplyMenuShortcuts();
  EXPECT_EQ(punct->key_equivalent, "");
  EXPECT_EQ(punct->key_modifiers, 0u);
  EXPECT_EQ(trad->key_equivalent, "");
  EXPECT_EQ(imkkep::IMEGetMenuItem(imkkep::kMenuSilent)->key_equivalent, "Q");
  EXPECT_EQ(imkkep::IMEGetMenuItem(imkkep::kMenuAccessory)->key_equivalent, "A")
      << "the fixed shortcut is not the user's";
}

}  // namespace
