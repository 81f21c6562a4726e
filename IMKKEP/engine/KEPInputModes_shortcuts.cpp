// The user's shortcuts for the input menu's mode items, from the setting "MenuShortcut":
// entries joined by "|", each four '1'/'0' flags (Control, Command, Option, Shift) and a key.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "CoreSource/base/config.h"
#include "IMKKEP/app/KEPAppDelegate.h"
#include "IMKKEP/engine/KEPInputModes.h"
#include "IMKKEP/base/server_log.h"
#include "platform/imk/keys.h"

namespace imkkep {
namespace {

constexpr std::size_t kEntryLength = 5;
constexpr std::size_t kFlagCount = 4;
constexpr std::array<std::uint64_t, kFlagCount> kEntryFlags = {
    platform::imk::kControlFlag, platform::imk::kCommandFlag, platform::imk::kOptionFlag,
    platform::imk::kShiftFlag};

struct ShortcutSlot {
  int slot_type;
  int tag;
  const char* fallback;  // the entry used when the user's is missing or malformed
};
constexpr std::array<ShortcutSlot, 7> kSlots = {{
    {2, kMenuFullPunct, "1001S"},
    {3, kMenuFullWidthRoman, "1001Y"},
    {4, kMenuFullWidthSpace, "00000"},
    {6, kMenuPinyin, "00000"},
    {7, kMenuDoublePinyin, "00000"},
    {8, kMenuSilent, "1001Q"},
    {9, kMenuTradOutput, "0001 "},
}};

std::uint64_t entry_mask(std::string_view entry, char* key) {
  std::uint64_t mask = 0;
  for (std::size_t i = 0; i < kFlagCount; ++i) {
    if (entry[i] == '1') mask |= kEntryFlags[i];
  }
  *key = mask != 0 ? entry[kFlagCount] : ' ';
  return mask;
}

// The user's entry at `index`, or nothing (logged) when there is none that can be used.
std::optional<std::string> user_entry(std::size_t index) {
  const char* setting = ime_config_get_string("MenuShortcut", nullptr);
  if (setting == nullptr) {
    KEPLog("No shortcuts key found.");
    return std::nullopt;
  }
  std::string_view rest = setting;
  for (std::size_t i = 0; i < index; ++i) {
    const std::size_t bar = rest.find('|');
    if (bar == std::string_view::npos) {
      KEPLog("Offset %zu for shortcuts %s failed!", index, setting);
      return std::nullopt;
    }
    rest.remove_prefix(bar + 1);
  }
  const std::string entry(rest.substr(0, rest.find('|')));
  if (entry.size() != kEntryLength) {
    KEPLog("Invalid shortcut '%s'.", entry.c_str());
    return std::nullopt;
  }
  return entry;
}

}  // namespace

std::uint64_t GetShortcutModifier(int slot_type, char* key) {
  *key = ' ';
  for (std::size_t index = 0; index < kSlots.size(); ++index) {
    if (kSlots[index].slot_type != slot_type) continue;
    const std::optional<std::string> entry = user_entry(index);
    return entry_mask(entry ? *entry : kSlots[index].fallback, key);
  }
  return 0;
}

void KEPApplyMenuShortcuts() {
  KEPLog("Setup the menu item stat");
  for (const ShortcutSlot& slot : kSlots) {
    platform::ui::MenuItem* item = IMEGetMenuItem(slot.tag);
    if (item == nullptr) continue;
    char key = ' ';
    const std::uint64_t mask = GetShortcutModifier(slot.slot_type, &key);
    // A shortcut the user cleared must not linger from an earlier activation.
    item->key_modifiers = mask;
    item->key_equivalent = mask != 0 ? std::string(1, key) : std::string();
  }
}

}  // namespace imkkep
