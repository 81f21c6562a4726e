// The accessory panel: special characters by category (the V-mode tables) and the abbreviation
// texts, clicked to insert them into the application that has the keyboard. It sits in the
// lower right corner of the main screen and dims when the pointer is not over it.
#pragma once

#include <memory>
#include <string_view>

#include "IMKKEP/windows/CharAccMatrixView.h"
#include "IMKKEP/windows/KEPAccAbbrDatasource.h"
#include "IMKKEP/windows/KEPAccPanel.h"
#include "platform/runloop.h"
#include "platform/ui/controls.h"
#include "platform/ui/popup_button.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/tab_view.h"
#include "platform/ui/table_view.h"
#include "platform/ui/window_registry.h"

namespace imkkep {

class KEPAccessory {
 public:
  // Pop-up tags of the user's categories start here; the shipped ones count from 0.
  static constexpr int kUserCategoryTag = 10000;
  static constexpr int kMaxCharacters = 128;
  static constexpr std::chrono::seconds kFadeDelay{2};

  // The panel, closed, in `registry` (nullptr: unreachable by the control port).
  KEPAccessory(platform::RunLoop& loop, platform::ui::WindowRegistry* registry);
  ~KEPAccessory();
  KEPAccessory(const KEPAccessory&) = delete;
  KEPAccessory& operator=(const KEPAccessory&) = delete;

  // Opens the panel, or closes it when it is open.
  void showAccPanel();
  void closeAccPanel();
  void reloadAccChar();
  void reloadAccAbbr();
  // Shows the characters of the chosen category.
  void charSelectorChanged();
  void userOnlyChanged();
  // Whether the abbreviation list was ever loaded: from then on, settings reloads refresh it.
  bool hasAbbrDatasource() const { return abbr_source_ != nullptr; }

  KEPAccPanel& panel() { return *panel_; }
  platform::ui::PopUpButton& charSelector() { return *char_selector_; }
  CharAccMatrixView& charMatrix() { return *char_matrix_; }
  platform::ui::CheckBox& userOnly() { return *user_only_; }
  platform::ui::TableView& abbrView() { return *abbr_view_; }
  platform::ui::TabView& tabs() { return *tabs_; }
  int tracked() const { return tracked_; }

 private:
  void buildControls();
  void performFade();
  void cancelFade();
  void display();

  platform::RunLoop& loop_;
  platform::ui::WindowRegistry* registry_;
  std::unique_ptr<KEPAccPanel> panel_;
  platform::ui::TabView* tabs_ = nullptr;
  platform::ui::PopUpButton* char_selector_ = nullptr;
  platform::ui::CheckBox* user_only_ = nullptr;
  platform::ui::ScrollView* char_scroll_ = nullptr;
  CharAccMatrixView* char_matrix_ = nullptr;
  platform::ui::TableView* abbr_view_ = nullptr;
  std::unique_ptr<KEPAccAbbrDatasource> abbr_source_;
  int tracker_ = 0;
  // 1 once the pointer has entered since the panel was shown, or it faded or closed.
  int tracked_ = 1;
  platform::RunLoop::SourceId fade_timer_ = 0;
};

// Inserts `text` into the application of the controller activated last; nothing when no
// controller is active.
void KEPSendAccText(std::string_view text);

}  // namespace imkkep
