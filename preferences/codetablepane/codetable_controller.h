// The code-table pane: code-table input on or off, the installed schemes with the options of
// the selected one, building a new scheme, importing and removing one, and editing a scheme's
// extra codes. It writes EnablePlug and CodeTableScheme.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/runloop.h"
#include "platform/ui/alert.h"
#include "platform/ui/controls.h"
#include "platform/ui/open_panel.h"
#include "platform/ui/user_defaults.h"
#include "platform/ui/view.h"
#include "preferences/codetable/scheme_files.h"
#include "preferences/codetablepane/build_sheet.h"
#include "preferences/codetablepane/extra_code_sheet.h"
#include "preferences/codetablepane/option_form.h"
#include "preferences/codetablepane/scheme_table.h"
#include "preferences/host/pane_protocol.h"
#include "preferences/panekit/fixed_pane.h"
#include "preferences/panekit/pane_view.h"

namespace codetablepane {

inline constexpr const char* kEnablePlugKey = "EnablePlug";
inline constexpr const char* kCodeTableSchemeKey = "CodeTableScheme";

class PCTController;
using PCTView = panekit::PaneView<PCTController>;

class PCTController : public panekit::FixedPane, public platform::ui::TableDataSource {
 public:
  PCTController();
  ~PCTController() override;
  PCTController(const PCTController&) = delete;
  PCTController& operator=(const PCTController&) = delete;

  platform::ui::View* paneView() override;
  void setParentWindow(platform::ui::Window* window) override;
  void loadPrefs(platform::plist::Dictionary& prefs) override;
  void savePrefs(platform::plist::Dictionary& prefs) override;
  void reloadPrefs(platform::plist::Dictionary& prefs) override;

  int number_of_rows(const platform::ui::TableView& table) override;
  std::optional<std::string> object_value(const platform::ui::TableView& table,
                                          std::string_view column, int row) override;

  // The actions of the pane's controls.
  void applyPCT();
  void buildCustomTable();
  void addScheme();
  void removeScheme();
  void addNewCode();

  // Lists the installed schemes again, selecting the one named (or the first).
  void loadScheme(const std::string& name);
  const std::vector<codetable::InstalledScheme>& schemes() const { return _schemes; }

  // The view went with the window that held it: running work is stopped and waited for.
  void viewDidGo();

 private:
  void build_view();
  bool ready() const;
  // The code-table folder of the current home; empty when HOME is not an absolute path.
  static std::string folder();
  int selected_row() const;
  void show_scheme(int row);
  void saveCurrentScheme(int row);
  void update_enabling();
  void addSchemeDidEnd(int return_code);
  void removeSchemeDidEnd(int return_code, const std::string& file);
  void info(const std::string& text);
  platform::ui::UserDefaults* user_defaults();
  void stop_work();

  PCTView* _view = nullptr;
  platform::ui::CheckBox* _applyCodeTable = nullptr;
  SchemeTable* _schemeList = nullptr;
  OptionForm form_;
  platform::ui::Button* _addButton = nullptr;
  platform::ui::Button* _removeButton = nullptr;
  platform::ui::Button* _buildButton = nullptr;
  platform::ui::Button* _codeButton = nullptr;
  platform::ui::Window* _parentWindow = nullptr;
  platform::RunLoop* loop_ = nullptr;
  std::vector<codetable::InstalledScheme> _schemes;
  bool _loaded = false;

  std::unique_ptr<BuildSheet> buildSheet_;
  std::unique_ptr<ExtraCodeSheet> codeSheet_;
  std::unique_ptr<platform::ui::OpenPanel> openPanel_;
  std::unique_ptr<platform::ui::Alert> question_;
  std::unique_ptr<platform::ui::Alert> alert_;
  // Our own, when the program offers no user defaults of its own.
  std::optional<platform::ui::UserDefaults> ownDefaults_;
};

}  // namespace codetablepane
