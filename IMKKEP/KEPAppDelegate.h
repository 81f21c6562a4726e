// The server's application delegate: it owns the input menu that every controller lists, whose
// check marks are the server's record of the modes the user sees.
#pragma once

#include <string>

#include "platform/ui/menu.h"

namespace imkkep {

class KEPInputController;

// Tags of the input menu's items. The mode items keep the tags clients know; the commands that
// open something outside the server have tags of their own so that clients can invoke them.
enum KEPMenuTag : int {
  kMenuFullPunct = 1002,
  kMenuFullWidthRoman = 1003,
  kMenuFullWidthSpace = 1004,
  kMenuRoman = 1005,
  kMenuPinyin = 1006,
  kMenuDoublePinyin = 1007,
  kMenuPlug = 1008,
  kMenuSilent = 1009,
  kMenuTradOutput = 1010,
  kMenuUserDictionaryManager = 1102,
  kMenuReleaseNote = 1103,
  kMenuHelp = 1104,
  kMenuOtherSoftware = 1105,
  kMenuBlog = 1106,
  kMenuAccessory = 1200,
};

class KEPAppDelegate {
 public:
  // The one delegate of the process, built with its menu on first use.
  static KEPAppDelegate& shared();
  KEPAppDelegate(const KEPAppDelegate&) = delete;
  KEPAppDelegate& operator=(const KEPAppDelegate&) = delete;

  platform::ui::Menu& menu() { return menu_; }

  // Runs the item's action on behalf of `controller`: the mode actions act on it. false when
  // the item does nothing.
  bool perform(int tag, KEPInputController& controller);

 private:
  KEPAppDelegate();
  void buildMenu();
  void addCommandItems();

  // The commands: each asks the desktop's workspace to show something; none runs a program.
  void showJEV();
  void showReleaseNote();
  void showHelp();
  void showOtherSoftware();
  void showBlog();

  platform::ui::Menu menu_;
  // The controller whose menu is being used, while an item runs.
  KEPInputController* target_ = nullptr;
};

// The name of the modifier key with HID usage `usage` (224 to 231, left then right Control,
// Shift, Alt and Command); "Unknown 0xNN" for any other usage.
std::string modifierKeyString(int usage);

// The input menu's item with `tag`; nullptr when there is none.
platform::ui::MenuItem* IMEGetMenuItem(int tag);

}  // namespace imkkep
