// The V-mode list: the rows of the engine's V-mode tables in a floating panel the server steps
// through (108 up, 109 down), chooses from (110) and fills from the typed text (111). A chosen
// row goes back to the server as message 115.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

#include "candidatewindow/protocol/vmode_show_message.h"
#include "platform/bundle.h"
#include "platform/plist.h"
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

class VModePanel {
 public:
  using BundleLocator = std::function<std::optional<platform::Bundle>()>;
  using Logger = std::function<void(std::string_view)>;

  // Draws into `window`, which must outlive the panel. The rows are read at the first show.
  explicit VModePanel(platform::ui::Window& window, BundleLocator locator = findInputMethodBundle,
                      Logger log = logToStandardError);
  ~VModePanel();
  VModePanel(const VModePanel&) = delete;
  VModePanel& operator=(const VModePanel&) = delete;

  // Reads both tables again and rebuilds the rows; without the input method's bundle the list
  // is empty.
  void loadVMode();

  // Message 111: reloads when the user's vmode.txt changed, selects the first row the typed key
  // begins, sends 115 at once for an exact match and places the panel at the caret when one
  // came. The caller shows the panel.
  void showFor(const kepcandidate::VModeShowMessage& message, bool skinStyle);
  void selectPrevious();   // 108
  void selectNext();       // 109
  void chooseSelected();   // 110

  const platform::plist::Array& rows() const { return rows_; }
  std::optional<std::size_t> selectedRow() const { return selected_; }

  static std::optional<platform::Bundle> findInputMethodBundle();
  static void logToStandardError(std::string_view line);

 private:
  void reloadWhenModified();
  std::optional<std::filesystem::file_time_type> userTableTime() const;
  void select(std::size_t row);
  void sendMatched(std::size_t row) const;
  void publishRows();
  void place(const kepcandidate::VModeShowMessage::Caret& caret, std::int32_t fh, bool skinStyle);

  platform::ui::Window& window_;
  BundleLocator locator_;
  Logger log_;
  platform::plist::Array rows_;
  std::optional<std::size_t> selected_;
  bool loaded_ = false;
  std::optional<std::filesystem::file_time_type> userTableTime_;
};

}  // namespace kepcandidatewindow
