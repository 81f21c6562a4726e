// The dictionary pane: the user's dictionaries in a table, adding a dictionary folder or
// importing a cell dictionary, deleting one, the automatic-update settings, and "update now".
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/notify.h"
#include "platform/runloop.h"
#include "platform/ui/alert.h"
#include "platform/ui/controls.h"
#include "platform/ui/open_panel.h"
#include "platform/ui/table_view.h"
#include "platform/ui/user_defaults.h"
#include "platform/ui/view.h"
#include "preferences/dictionary/dict_scan.h"
#include "preferences/dictionary/import_sheet.h"
#include "preferences/dictionary/update_run.h"
#include "preferences/host/pane_protocol.h"
#include "preferences/panekit/fixed_pane.h"
#include "preferences/panekit/pane_view.h"

namespace dictpane {

inline constexpr const char* kAutoUpdateKey = "DaruzDictAutoUpdate";
inline constexpr const char* kHideUpdateWindowKey = "HideDaruzUpdateWindow";
inline constexpr const char* kAutoUpdatesKey = "DaruzDictAutoUpdates";
inline constexpr const char* kLastImportDirKey = "LAST_DICT_IMPORT_DIR";
inline constexpr const char* kDictUpdatedNotification = "DARUZ_DICT_UPDATED";
inline constexpr const char* kDictUpdatedObject = "IMKKEP";

class DictionaryController;
using DictionaryView = panekit::PaneView<DictionaryController>;

class DictionaryController : public panekit::FixedPane, public platform::ui::TableDataSource {
 public:
  DictionaryController();
  ~DictionaryController() override;
  DictionaryController(const DictionaryController&) = delete;
  DictionaryController& operator=(const DictionaryController&) = delete;

  platform::ui::View* paneView() override;
  void setParentWindow(platform::ui::Window* window) override;
  void loadPrefs(platform::plist::Dictionary& prefs) override;
  void savePrefs(platform::plist::Dictionary& prefs) override;
  void reloadPrefs(platform::plist::Dictionary& prefs) override;

  int number_of_rows(const platform::ui::TableView& table) override;
  std::optional<std::string> object_value(const platform::ui::TableView& table,
                                          std::string_view column, int row) override;
  std::optional<platform::ui::CellImage> image_value(const platform::ui::TableView& table,
                                                     std::string_view column, int row) override;

  // The actions of the pane's buttons.
  void addDictionary();
  void removeDictionary();
  void updateNow();

  // Rescans the Dictionary folder into the list.
  void load();
  const std::vector<DictEntry>& dictionaries() const { return _dictArray; }

  // The view went with the window that held it: running work is stopped and waited for.
  void viewDidGo();

 private:
  void build_view();
  void reload_table();
  bool ready() const;
  void addDictionaryDidEnd(int return_code);
  void importFileSelected();
  void removeDictionaryDidEnd(int return_code, const std::filesystem::path& path);
  void importDaruzDictionary(const std::filesystem::path& file);
  void importFinished(const celldict::update::ImportResult& result);
  void sheetDidEnd(const platform::notify::Notification& notification);
  void post_dictionaries_changed();
  platform::ui::UserDefaults* user_defaults();
  void stop_work();

  DictionaryView* _view = nullptr;
  platform::ui::TableView* _dictList = nullptr;
  platform::ui::CheckBox* _checkForUpdates = nullptr;
  platform::ui::CheckBox* _hideUpdateWindow = nullptr;
  platform::ui::Button* _updateNow = nullptr;
  platform::ui::TextField* _updateStatus = nullptr;
  platform::ui::Window* _parentWindow = nullptr;
  platform::RunLoop* loop_ = nullptr;
  std::vector<DictEntry> _dictArray;
  bool _loaded = false;

  std::unique_ptr<platform::ui::OpenPanel> openPanel_;
  std::unique_ptr<platform::ui::Alert> question_;
  // Expires with the pane: a dialog's answer reaches the loop after its click, when the pane
  // may be gone already.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::optional<std::filesystem::path> _importFilename;
  std::optional<std::filesystem::path> _importDirectory;
  platform::notify::ObserverId panelEndObserver_ = 0;
  platform::notify::ObserverId sheetEndObserver_ = 0;
  std::unique_ptr<ImportSheet> importSheet_;
  std::unique_ptr<UpdateRun> updateRun_;
  // Our own, when the program offers no user defaults of its own.
  std::optional<platform::ui::UserDefaults> ownDefaults_;
  std::optional<platform::ui::CellImage> daruzImage_;
  std::optional<platform::ui::CellImage> kepImage_;
};

}  // namespace dictpane
