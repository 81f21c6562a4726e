#include "IMKKEP/KEPAppDelegate.h"

#include "IMKKEP/KEPConvertEngine.h"
#include "IMKKEP/KEPInputController.h"
#include "IMKKEP/localized_strings.h"
#include "platform/imk/keys.h"

namespace imkkep {
namespace {

using ControllerAction = void (KEPInputController::*)(platform::ui::MenuItem&);

struct ModeItem {
  int tag;
  const char* title_key;
  const char* default_title;
  ControllerAction action;
};

// The menu's order: the width modes, English, the input schemes, then the output modes.
constexpr ModeItem kWidthItems[] = {
    {kMenuFullPunct, "MENU_FULL_PUNCT", "Full-width Punctuation",
     &KEPInputController::setFullPunctMode},
    {kMenuFullWidthRoman, "MENU_FULL_ROMAN", "Full-width Characters",
     &KEPInputController::setFullWidthRoman},
    {kMenuFullWidthSpace, "MENU_FULL_SPACE", "Full-width Space",
     &KEPInputController::setFullWidthSpace},
    {kMenuRoman, "MENU_ENGLISH", "English Mode", &KEPInputController::setRomanMode},
};
constexpr ModeItem kSchemeItems[] = {
    {kMenuPinyin, "MENU_PINYIN", "Full Pinyin", &KEPInputController::setPinyinMode},
    {kMenuDoublePinyin, "MENU_DOUBLE_PINYIN", "Double Pinyin",
     &KEPInputController::setDoublePinyinMode},
    {kMenuPlug, "MENU_CODE_TABLE", "Code Table", &KEPInputController::setPlugMode},
};
constexpr ModeItem kOutputItems[] = {
    {kMenuSilent, "MENU_SILENT", "Silent Mode", &KEPInputController::setSilentMode},
    {kMenuTradOutput, "MENU_TRADITIONAL", "Traditional Chinese Output",
     &KEPInputController::setTradOutput},
};

}  // namespace

KEPAppDelegate& KEPAppDelegate::shared() {
  static KEPAppDelegate delegate;
  return delegate;
}

KEPAppDelegate::KEPAppDelegate() { buildMenu(); }

void KEPAppDelegate::buildMenu() {
  auto add_group = [this](const auto& group) {
    for (const ModeItem& mode : group) {
      platform::ui::MenuItem item;
      item.tag = mode.tag;
      item.title = LocalizedString(kServerBundleIdentifier, mode.title_key, mode.default_title);
      item.action = [this, action = mode.action](platform::ui::MenuItem& sender) {
        if (target_ != nullptr) (target_->*action)(sender);
      };
      menu_.add(std::move(item));
    }
  };
  add_group(kWidthItems);
  menu_.add_separator();
  add_group(kSchemeItems);
  menu_.add_separator();
  add_group(kOutputItems);
  menu_.add_separator();
  // Its fixed shortcut suits a panel of extra input; until there is one it does nothing.
  platform::ui::MenuItem accessory;
  accessory.tag = kMenuAccessory;
  accessory.title = LocalizedString(kServerBundleIdentifier, "MENU_ACCESSORY", "Accessory Panel");
  accessory.key_equivalent = "A";
  accessory.key_modifiers = platform::imk::kShiftFlag | platform::imk::kOptionFlag;
  menu_.add(std::move(accessory));
}

bool KEPAppDelegate::perform(int tag, KEPInputController& controller) {
  KEPInputController* previous = target_;
  target_ = &controller;
  const bool performed = menu_.perform(tag);
  target_ = previous;
  return performed;
}

platform::ui::MenuItem* IMEGetMenuItem(int tag) {
  return KEPAppDelegate::shared().menu().item_with_tag(tag);
}

}  // namespace imkkep
