// The contract between the preferences program and its pane bundles. A pane bundle's library
// answers kep_principal_class(name) with a KepClassRecord (platform/ui/plugin.h) of this ABI
// version, base class "NSObject", protocol kPaneProtocolName and the class-level entry
// kPreferencePanesEntry, a PreferencePanesFactory.
//
// Pane libraries are built with the host's compile flags (sanitizers too) and take the host's
// own symbols (plist, views) from the host program, which exports them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gfx/surface.h"
#include "platform/plist.h"

namespace platform {
class RunLoop;
}
namespace platform::ui {
class UserDefaults;
class View;
class Window;
}  // namespace platform::ui

// What the host program offers its panes to call: asks the user, in a sheet, whether to put the
// shipped settings back. Weak, so that a pane also loads into a program that lacks it (null).
extern "C" __attribute__((weak, visibility("default"))) void kep_preferences_restore_defaults();
// The program's run loop: pane sheets end on it and pane workers hand their work to it. Weak
// too; null, or a null answer, where the program offers none.
extern "C" __attribute__((weak, visibility("default"))) platform::RunLoop* kep_preferences_run_loop();
// The program's own user defaults object. A pane that kept a second object on the same file
// would have its keys written over by the program's next save. Weak; null where there is none.
extern "C" __attribute__((weak, visibility("default"))) platform::ui::UserDefaults*
kep_preferences_user_defaults();

namespace preferences {

// Changes whenever PreferencePane, the factory or the record's layout changes, so that a pane
// built against another header is refused rather than called.
inline constexpr std::uint32_t kPaneAbiVersion = 1;
inline constexpr const char* kPaneProtocolName = "PreferencePane";
inline constexpr const char* kPreferencePanesEntry = "preferencePanes";

// One preference page. The host calls, in order: preferencePanes once per bundle, then paneName
// of each pane; paneToolTip and paneIcon when the toolbar is built; setParentWindow, paneView,
// the resizing questions and loadPrefs each time the pane is shown; savePrefs on every pane when
// the window closes; reloadPrefs on every pane after the defaults are restored.
class PreferencePane {
 public:
  virtual ~PreferencePane() = default;

  // The pane's view, built the first time it is asked for and owned by the pane; nullptr when
  // it cannot be built.
  virtual platform::ui::View* paneView() = 0;
  // The localized name: the pane's key, toolbar label and window title.
  virtual std::string paneName() = 0;
  // The toolbar icon, read afresh from the pane's own bundle.
  virtual std::optional<platform::gfx::Surface> paneIcon() = 0;
  // The bundle's toolTip; nothing or empty for none.
  virtual std::optional<std::string> paneToolTip() = 0;
  virtual bool allowsHorizontalResizing() = 0;
  virtual bool allowsVerticalResizing() = 0;
  // The parent of the pane's sheets and panels.
  virtual void setParentWindow(platform::ui::Window* window) = 0;
  // The settings dictionary is the host's one shared dictionary (imkkep.plist in memory).
  virtual void loadPrefs(platform::plist::Dictionary& prefs) = 0;
  virtual void savePrefs(platform::plist::Dictionary& prefs) = 0;
  virtual void reloadPrefs(platform::plist::Dictionary& prefs) = 0;
};

using PreferencePanes = std::vector<std::unique_ptr<PreferencePane>>;
// The class-level "preferencePanes": new panes of the principal class, owned by the caller.
using PreferencePanesFactory = PreferencePanes (*)();

}  // namespace preferences
