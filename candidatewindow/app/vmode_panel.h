// The V-mode list: the rows of the engine's V-mode tables in a floating panel the server steps
// through (108 up, 109 down), chooses from (110) and fills from the typed text (111). The panel
// shows them in a table (key, description); a double click on a row chooses it. A chosen row
// goes back to the server as message 115.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "candidatewindow/protocol/vmode_show_message.h"
#include "platform/bundle.h"
#include "platform/plist.h"
#include "platform/ui/table_view.h"
#include "platform/ui/window.h"

namespace kepcandidatewindow {

// The keys of a row dictionary; the script row adder writes the same ones.
inline constexpr const char* kVModeRowKey = "Key";
inline constexpr const char* kVModeRowDescription = "Description";
inline constexpr const char* kVModeRowItems = "Items";

// The input method's bundle: its resources hold the shipped vmode.txt.
inline constexpr const char* kInputMethodBundleIdentifier = "com.corvana.inputmethod.IMKKEP";

// The rows of both tables: a user entry hides the system entry with the same key; sorted by key
// without regard to case (equal keys keep their table order).
platform::plist::Array mergeVModeRows();

// The table's columns.
inline constexpr const char* kVModeKeyColumn = "KEY";
inline constexpr const char* kVModeDescriptionColumn = "DESC";

class VModePanel : public platform::ui::TableDataSource {
 public:
  using BundleLocator = std::function<std::optional<platform::Bundle>()>;
  using Logger = std::function<void(std::string_view)>;

  // Fills `window` with the table; the window must outlive the panel. The rows are read at the
  // first show.
  explicit VModePanel(platform::ui::Window& window, BundleLocator locator = findInputMethodBundle,
                      Logger log = logToStandardError);
  ~VModePanel() override;
  VModePanel(const VModePanel&) = delete;
  VModePanel& operator=(const VModePanel&) = delete;

  // Reads both tables again, rebuilds the rows and selects the first; without the input
  // method's bundle the list is empty.
  void loadVMode();

  // Message 111: reloads when the user's vmode.txt changed, selects the first row the typed key
  // begins, sends 115 at once for an exact match and places the panel at the caret when one
  // came. The caller shows the panel.
  void showFor(const kepcandidate::VModeShowMessage& message, bool skinStyle);
  void selectPrevious();   // 108
  void selectNext();       // 109
  void chooseSelected();   // 110

  const platform::plist::Array& rows() const { return rows_; }
  // The table's selection, which a click also moves.
  std::optional<std::size_t> selectedRow() const;
  const platform::ui::TableView& table() const { return *table_; }

  // The table's data source: the key or the description of a row; a double click chooses it.
  int number_of_rows(const platform::ui::TableView& table) override;
  std::optional<std::string> object_value(const platform::ui::TableView& table,
                                          std::string_view column, int row) override;
  bool should_edit(platform::ui::TableView& table, std::string_view column, int row) override;

  static std::optional<platform::Bundle> findInputMethodBundle();
  static void logToStandardError(std::string_view line);

 private:
  void reloadWhenModified();
  std::optional<std::filesystem::file_time_type> userTableTime() const;
  void select(std::size_t row);
  void sendMatched(std::size_t row) const;
  void place(const kepcandidate::VModeShowMessage::Caret& caret, std::int32_t fh, bool skinStyle);

  platform::ui::Window& window_;
  platform::ui::TableView* table_;  // the window's content view
  BundleLocator locator_;
  Logger log_;
  platform::plist::Array rows_;
  bool loaded_ = false;
  std::optional<std::filesystem::file_time_type> userTableTime_;
};

}  // namespace kepcandidatewindow
