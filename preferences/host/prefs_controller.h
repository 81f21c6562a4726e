// The preferences window: pane bundles loaded from a folder, one pane shown at a time under a
// toolbar of pane names, and the shared settings dictionary the panes read and write.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/bundle.h"
#include "platform/plist.h"
#include "platform/runloop.h"
#include "platform/ui/plugin.h"
#include "platform/ui/toolbar.h"
#include "platform/ui/user_defaults.h"
#include "platform/ui/window.h"
#include "platform/ui/window_registry.h"
#include "preferences/host/pane_protocol.h"

namespace preferences {

inline constexpr const char* kProgramName = "IMKKEPPreferences";
inline constexpr const char* kPreferencesWindowName = "Preferences";

// Where the program's messages go (stderr in the program, a list in tests).
using MessageLog = std::function<void(const std::string& message)>;

class SS_PrefsController {
 public:
  SS_PrefsController(platform::ui::WindowRegistry& registry, platform::RunLoop& loop,
                     platform::Bundle main_bundle, MessageLog log);
  ~SS_PrefsController();

  void setPanesOrder(std::vector<std::string> order) { panesOrder_ = std::move(order); }
  const std::vector<std::string>& panesOrder() const { return panesOrder_; }
  void setBundleExtension(std::string extension) { bundleExtension_ = std::move(extension); }
  void setSearchPath(std::filesystem::path path) { searchPath_ = std::move(path); }
  void setAlwaysShowsToolbar(bool shows) { alwaysShowsToolbar_ = shows; }
  void setAlwaysOpensCentered(bool centered) { alwaysOpensCentered_ = centered; }
  void setDebug(bool debug) { debug_ = debug; }
  // Told when the window closes; not owned.
  void setDelegate(platform::ui::WindowDelegate* delegate) { delegate_ = delegate; }
  // The class names the panes' principal classes join (the process's own by default).
  void setClassRegistry(platform::ui::ClassRegistry& classes) { classes_ = &classes; }
  // The dictionary every pane loads from and saves into; not owned.
  void setSharedPrefs(platform::plist::Dictionary* prefs) { prefs_ = prefs; }

  // Loads the panes the first time, then builds the window and shows the last-used pane (or
  // another one). False, with the alert answered, when no pane could be loaded.
  bool createPreferencesWindowAndDisplay();
  bool loadPrefsPaneNamed(const std::string& name, bool display);
  void prefsToolbarItemClicked(platform::ui::ToolbarItem& item);

  // savePrefs / reloadPrefs on every pane.
  void savePrefs(platform::plist::Dictionary& prefs);
  void reloadPrefs(platform::plist::Dictionary& prefs);

  platform::ui::Window* window() const { return window_.get(); }
  // The pane names in toolbar order.
  std::vector<std::string> toolbarItemIdentifiers() const;
  const std::string& currentPaneName() const { return currentPane_; }
  std::string toolbarIdentifier() const;
  std::string lastPaneDefaultsKey() const;
  platform::ui::UserDefaults* userDefaults() { return defaults_ ? &*defaults_ : nullptr; }

 private:
  void debugLog(const std::string& message) const;
  std::string localized(std::string_view key, std::string_view text) const;
  bool loadPreferencePanes();
  void createPreferencesWindow();

  platform::ui::WindowRegistry& registry_;
  platform::RunLoop& loop_;
  platform::Bundle bundle_;
  MessageLog log_;
  std::vector<std::string> panesOrder_;
  std::string bundleExtension_ = "bundle";
  std::filesystem::path searchPath_;
  bool alwaysShowsToolbar_ = false;
  bool alwaysOpensCentered_ = true;
  bool debug_ = false;
  bool panesLoaded_ = false;
  platform::ui::WindowDelegate* delegate_ = nullptr;
  platform::ui::ClassRegistry* classes_ = &platform::ui::ClassRegistry::shared();
  platform::plist::Dictionary* prefs_ = nullptr;
  std::optional<platform::ui::UserDefaults> defaults_;
  std::vector<std::unique_ptr<PreferencePane>> panes_;
  std::map<std::string, PreferencePane*, std::less<>> preferencePanes_;
  std::unique_ptr<platform::ui::Window> window_;
  std::string currentPane_;
  // Worked out once the panes are loaded, so that missing panes are told of once.
  mutable std::optional<std::vector<std::string>> toolbarItems_;
};

// The program's controller: reads the user's settings, shows the window and writes the
// settings back when the window closes.
class IMKPreferencesController : public platform::ui::WindowDelegate {
 public:
  struct Paths {
    // $HOME/Library/KEP.
    std::filesystem::path settingsFolder;
    // The shipped settings of the installed server bundle.
    std::optional<std::filesystem::path> shippedSettings;
  };

  IMKPreferencesController(platform::ui::WindowRegistry& registry, platform::RunLoop& loop,
                           platform::Bundle main_bundle, Paths paths, MessageLog log,
                           std::function<void()> quit);

  // False when no pane could be shown (the program then quits).
  bool awakeFromNib(bool debug = false);
  // Asks in a sheet, then copies the shipped settings over the user's file.
  void restoreToDefault();

  void window_will_close(platform::ui::Window& window) override;

  SS_PrefsController& prefsController() { return prefs_controller_; }
  const platform::plist::Dictionary& settings() const { return settings_; }
  std::filesystem::path settingsFile() const { return paths_.settingsFolder / "imkkep.plist"; }

 private:
  std::string localized(std::string_view key, std::string_view text) const;
  void reportFailure(const std::string& message);
  void restore();

  platform::ui::WindowRegistry& registry_;
  platform::RunLoop& loop_;
  platform::Bundle bundle_;
  Paths paths_;
  MessageLog log_;
  std::function<void()> quit_;
  platform::plist::Dictionary settings_;
  // What was read, to leave the file alone when nothing changed.
  platform::plist::Dictionary read_settings_;
  // The user's file exists but could not be read: it is never written over.
  bool settings_unreadable_ = false;
  std::unique_ptr<platform::ui::Window> alert_;
  SS_PrefsController prefs_controller_;
};

}  // namespace preferences
