#include "IMKKEP/app/KEPAppDelegate.h"

#include <filesystem>
#include <system_error>

#include "CoreSource/base/datafolder.h"
#include "IMKKEP/companions/KEPCompanions.h"
#include "IMKKEP/engine/KEPConvertEngine.h"
#include "IMKKEP/controller/KEPInputController.h"
#include "platform/ui/localized_strings.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/server_state.h"
#include "platform/bundle.h"
#include "platform/imk/keys.h"
#include "platform/workspace.h"

namespace imkkep {

using platform::ui::localized_string;

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

struct CommandItem {
  int tag;
  const char* title_key;
  const char* default_title;
};

constexpr CommandItem kCommandItems[] = {
    {kMenuPreferences, "MENU_PREFERENCES", "Preferences..."},
    {kMenuUserDictionaryManager, "MENU_USER_DICTIONARY_MANAGER", "User Dictionary Manager..."},
    {kMenuReleaseNote, "MENU_RELEASE_NOTE", "Release Notes"},
    {kMenuHelp, "MENU_HELP", "Help"},
    {kMenuOtherSoftware, "MENU_OTHER_SOFTWARE", "Other Software"},
    {kMenuBlog, "MENU_BLOG", "Blog"},
    {kMenuAbout, "MENU_ABOUT", "About"},
};

constexpr const char* kUserDictionaryManager = "com.corvana.jev2";
constexpr const char* kWebSite = "https://kep.example.org";
// Without "!", so that a copy the user keeps in the data folder is shown instead of ours.
constexpr const char* kReleaseNoteResource = "ReleaseNote.rtf";

void open_web_page(const char* page) {
  const std::string url = std::string(kWebSite) + page;
  std::error_code error;
  if (!platform::workspace::open_url(url, error)) {
    KEPLogAlways("Open the page '%s' failed: %s", url.c_str(), error.message().c_str());
  }
}

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
      item.title = localized_string(kServerBundleIdentifier, mode.title_key, mode.default_title);
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
  platform::ui::MenuItem accessory;
  accessory.tag = kMenuAccessory;
  accessory.title = localized_string(kServerBundleIdentifier, "MENU_ACCESSORY", "Accessory Panel");
  accessory.key_equivalent = "A";
  accessory.key_modifiers = platform::imk::kShiftFlag | platform::imk::kOptionFlag;
  accessory.action = [this](platform::ui::MenuItem&) { showAccPanel(); };
  menu_.add(std::move(accessory));
  menu_.add_separator();
  addCommandItems();
}

void KEPAppDelegate::addCommandItems() {
  for (const CommandItem& command : kCommandItems) {
    platform::ui::MenuItem item;
    item.tag = command.tag;
    item.title =
        localized_string(kServerBundleIdentifier, command.title_key, command.default_title);
    item.action = [this, tag = command.tag](platform::ui::MenuItem& /*sender*/) {
      switch (tag) {
        case kMenuPreferences: showPref(); break;
        case kMenuUserDictionaryManager: showJEV(); break;
        case kMenuReleaseNote: showReleaseNote(); break;
        case kMenuHelp: showHelp(); break;
        case kMenuOtherSoftware: showOtherSoftware(); break;
        case kMenuBlog: showBlog(); break;
        case kMenuAbout:
          if (about_) about_->showAbout();
          break;
        default: break;
      }
    };
    menu_.add(std::move(item));
  }
}

void KEPAppDelegate::showPref() {
  const std::filesystem::path program = KEPSharedSupportPath() / "IMKKEPPreferences.app";
  KEPLog("Launch preferences...%s", program.c_str());
  KEPLaunchApp2("IMKKEPPreferences.app");
}

void KEPAppDelegate::showJEV() {
  std::error_code error;
  if (!platform::workspace::open_application(kUserDictionaryManager, error)) {
    KEPLogAlways("Open the user dictionary manager '%s' failed: %s", kUserDictionaryManager,
                 error.message().c_str());
  }
}

void KEPAppDelegate::showReleaseNote() {
  char path[512];
  std::error_code missing;
  // The lookup answers a path in the default folder even for a resource found nowhere.
  if (ime_get_resource_filename(kReleaseNoteResource, path) != 0 ||
      !std::filesystem::exists(path, missing)) {
    KEPLogAlways("The release notes '%s' were not found.", kReleaseNoteResource);
    return;
  }
  std::error_code error;
  // No application named: the desktop's text editor shows it.
  if (!platform::workspace::open_document(path, "", error)) {
    KEPLogAlways("Open the release notes '%s' failed: %s", path, error.message().c_str());
  }
}

void KEPAppDelegate::showHelp() { open_web_page("/wordpress/?page_id=15"); }

void KEPAppDelegate::showOtherSoftware() { open_web_page("/wordpress/?page_id=477"); }

void KEPAppDelegate::showBlog() { open_web_page("/wordpress/?cat=1"); }

void KEPAppDelegate::createWindows(platform::RunLoop& loop,
                                   platform::ui::WindowRegistry* registry) {
  accessory_ = std::make_unique<KEPAccessory>(loop, registry);
  const std::optional<platform::Bundle> bundle = platform::Bundle::find(kServerBundleIdentifier);
  about_ = std::make_unique<KEPAbout>(loop, registry,
                                      bundle ? bundle->resources_path() : std::filesystem::path());
  KEPSetReloadListener([this] { reloadAccessoryLists(); });
}

void KEPAppDelegate::destroyWindows() {
  KEPSetReloadListener(nullptr);
  about_.reset();
  accessory_.reset();
}

void KEPAppDelegate::showAccPanel() {
  if (accessory_) accessory_->showAccPanel();
}

void KEPAppDelegate::closeAccPanel() {
  if (accessory_) accessory_->closeAccPanel();
}

void KEPAppDelegate::reloadAccessoryLists() {
  if (!accessory_ || !accessory_->hasAbbrDatasource()) return;
  accessory_->reloadAccAbbr();
  accessory_->reloadAccChar();
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
