// The double-pinyin pane: turns double pinyin on or off, chooses the scheme the engine reads
// and edits the user's own scheme files as text. Shipped schemes are listed first, in grey,
// and never written.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runloop.h"
#include "platform/ui/alert.h"
#include "platform/ui/controls.h"
#include "platform/ui/table_view.h"
#include "platform/ui/view.h"
#include "preferences/doublepinyinpane/scheme_files.h"
#include "preferences/doublepinyinpane/scheme_table.h"
#include "preferences/doublepinyinpane/scheme_text_view.h"
#include "preferences/host/pane_protocol.h"
#include "preferences/panekit/fixed_pane.h"
#include "preferences/panekit/pane_view.h"

namespace dpypane {

inline constexpr const char* kEnableKey = "EnableDoublePinyin";
inline constexpr const char* kSchemeKey = "SPC";

class DoublePinyinController;
using DoublePinyinView = panekit::PaneView<DoublePinyinController>;

class DoublePinyinController : public panekit::FixedPane, public platform::ui::TableDataSource {
 public:
  DoublePinyinController();
  ~DoublePinyinController() override;
  DoublePinyinController(const DoublePinyinController&) = delete;
  DoublePinyinController& operator=(const DoublePinyinController&) = delete;

  platform::ui::View* paneView() override;
  void setParentWindow(platform::ui::Window* window) override { _parentWindow = window; }
  void loadPrefs(platform::plist::Dictionary& prefs) override;
  void savePrefs(platform::plist::Dictionary& prefs) override;
  void reloadPrefs(platform::plist::Dictionary& prefs) override;

  int number_of_rows(const platform::ui::TableView& table) override;
  std::optional<std::string> object_value(const platform::ui::TableView& table,
                                          std::string_view column, int row) override;
  std::optional<platform::ui::CellImage> image_value(const platform::ui::TableView& table,
                                                     std::string_view column, int row) override;
  std::optional<platform::gfx::Colour> text_colour(const platform::ui::TableView& table,
                                                   std::string_view column, int row) override;
  bool should_edit(platform::ui::TableView& table, std::string_view column, int row) override;
  // The end of a name's editing: the rename.
  void set_object_value(platform::ui::TableView& table, std::string_view column, int row,
                        const std::string& text) override;

  // The actions of the check box and the buttons.
  void enableDoublePinyin();
  void addScheme();
  void removeScheme();

  // The view went with the window that held it.
  void viewDidGo();

 private:
  void build_view();
  bool is_on() const;
  bool is_user_row(int row) const;
  // Before the selection leaves the selected row: its text written when it is the user's;
  // false (the alert shown) when that failed.
  bool selectionShouldChange();
  // Shows row `row`'s text in the editor; false for a row without a record.
  bool shouldSelectRow(int row);
  // Selects `row` alone (none for -1), shows it and loads its text, without writing.
  void select_and_load(int row);
  void reload_table();
  void apply_enabled();
  // Writes the editor's text as the selected user scheme; "" when done or nothing to write,
  // otherwise why not.
  std::optional<std::string> write_selected();
  void rename(int row, const std::string& typed);
  void deleteDidEnd(int return_code, const SchemeRecord& scheme);
  void show_error(const std::string& message);

  DoublePinyinView* _view = nullptr;
  platform::ui::CheckBox* _enableDoublePinyin = nullptr;
  platform::ui::Button* _addSchemeButton = nullptr;
  platform::ui::Button* _removeSchemeButton = nullptr;
  SchemeTextView* _content = nullptr;
  SchemeTable* _schemeList = nullptr;
  platform::ui::Window* _parentWindow = nullptr;
  bool _loaded = false;
  std::vector<SchemeRecord> _spcList;

  // Whether the editor holds the selected user scheme's text as read (or typed): false after a
  // failed read, so an empty editor never replaces a file it could not show.
  bool contentWritable_ = false;
  platform::RunLoop* loop_ = nullptr;
  std::unique_ptr<platform::ui::Alert> question_;
  std::unique_ptr<platform::ui::Alert> errorAlert_;
  std::optional<platform::ui::CellImage> checkImage_;
  // Expires with the pane, for handlers that run later on the loop.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace dpypane
