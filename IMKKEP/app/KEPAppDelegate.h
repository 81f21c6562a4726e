// The server's application delegate: it owns the input menu that every controller lists, whose
// check marks are the server's record of the modes the user sees.
#pragma once

#include <memory>
#include <string>

#include "IMKKEP/windows/KEPAbout.h"
#include "IMKKEP/windows/KEPAccessory.h"
#include "platform/notify.h"
#include "platform/runloop.h"
#include "platform/ui/menu.h"
#include "platform/ui/window_registry.h"

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
  kMenuPreferences = 1101,
  kMenuUserDictionaryManager = 1102,
  kMenuReleaseNote = 1103,
  kMenuHelp = 1104,
  kMenuOtherSoftware = 1105,
  kMenuBlog = 1106,
  kMenuAbout = 1107,
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

  // Observes, on `loop`, what other programs post to the server: a staged dictionary, a user
  // phrase file changed or to be written; and the companions it keeps running: one that ended
  // or whose service the engine finds unserved is started again. false (logged) when
  // notifications cannot be received. unregisterObservers() must run before `loop` ends.
  bool registerObservers(platform::RunLoop& loop);
  void unregisterObservers();

  // A dictionary was staged: it is swapped in at the next reload.
  void daruzDictUpdated();
  // Another program changed udb.lib: read it again.
  void udbReload();
  // Another program needs udb.lib current: write it, and answer "KEPUDBSaved" once it is.
  void udbSave();
  // Power-off: everything the engine holds is written and released.
  void systemShutdown();

  // Builds the server's own windows on `loop`, reachable through `registry` (nullptr: not
  // reachable); destroyWindows() must run before `loop` ends.
  void createWindows(platform::RunLoop& loop, platform::ui::WindowRegistry* registry);
  void destroyWindows();
  // nullptr before createWindows().
  KEPAccessory* accessory() { return accessory_.get(); }
  KEPAbout* about() { return about_.get(); }
  // The accessory panel opened, or closed when open; closed.
  void showAccPanel();
  void closeAccPanel();
  // After a settings reload: the panel's lists are read again once it has been opened.
  void reloadAccessoryLists();

 private:
  KEPAppDelegate();
  void buildMenu();
  void addCommandItems();

  // The commands: each asks the desktop's workspace to show something; none runs a program.
  // The preferences program, brought to the front.
  void showPref();
  void showJEV();
  void showReleaseNote();
  void showHelp();
  void showOtherSoftware();
  void showBlog();

  platform::ui::Menu menu_;
  // The controller whose menu is being used, while an item runs.
  KEPInputController* target_ = nullptr;
  std::unique_ptr<platform::notify::DistributedCenter> distributed_;
  platform::notify::ObserverId close_accessory_observer_ = 0;
  platform::RunLoop* companions_loop_ = nullptr;
  platform::RunLoop::SourceId companions_timer_ = 0;
  std::unique_ptr<KEPAccessory> accessory_;
  std::unique_ptr<KEPAbout> about_;
};


// The input menu's item with `tag`; nullptr when there is none.
platform::ui::MenuItem* IMEGetMenuItem(int tag);

}  // namespace imkkep
