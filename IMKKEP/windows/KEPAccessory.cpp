#include "IMKKEP/windows/KEPAccessory.h"

#include "CoreSource/tables/vmode.h"
#include "IMKKEP/controller/KEPActiveInputArea.h"
#include "platform/ui/localized_strings.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/server_state.h"
#include "IMKKEP/base/window_display.h"
#include "platform/text.h"
#include "platform/ui/screens.h"

namespace imkkep {

using platform::ui::localized_string;

namespace {

using platform::ui::Rect;

constexpr Rect kPanelFrame{0, 0, 350, 290};
constexpr double kScreenMargin = 6;
constexpr double kScreenBottom = 5;
constexpr double kShowingAlpha = 0.5;

bool describable(const ime_vmode_entry_t& entry) {
  return !entry.key.empty() && platform::text::is_valid_utf8(entry.key) &&
         platform::text::is_valid_utf8(entry.description);
}

}  // namespace

void KEPSendAccText(std::string_view text) {
  // The panel is clicked between key events; the application it writes to must still be there.
  if (gActiveSession == nullptr) {
    KEPLog("No active application for the accessory text.");
    return;
  }
  KEPSendStringToClient(gActiveSession, text);
}

KEPAccessory::KEPAccessory(platform::RunLoop& loop, platform::ui::WindowRegistry* registry)
    : loop_(loop), registry_(registry), panel_(std::make_unique<KEPAccPanel>(loop, kPanelFrame)) {
  panel_->set_title(
      localized_string(kServerBundleIdentifier, "ACC_PANEL_TITLE", "Accessory Panel"));
  buildControls();
  tracker_ = panel_->add_tracking_rect({0, 0, kPanelFrame.width, kPanelFrame.height});
  panel_->setEnteredHandler([this] { tracked_ = 1; });
  if (registry_ != nullptr) registry_->add(*panel_);
}

KEPAccessory::~KEPAccessory() {
  cancelFade();
  panel_->remove_tracking_rect(tracker_);
  if (registry_ != nullptr) registry_->remove(*panel_);
}

void KEPAccessory::buildControls() {
  auto root = std::make_unique<platform::ui::View>(kPanelFrame);
  tabs_ = &root->add_subview(std::make_unique<platform::ui::TabView>(kPanelFrame));
  platform::ui::View& characters = tabs_->add_tab(
      "characters", localized_string(kServerBundleIdentifier, "ACC_CHARACTERS", "Characters"));
  platform::ui::View& abbreviations = tabs_->add_tab(
      "abbreviations",
      localized_string(kServerBundleIdentifier, "ACC_ABBREVIATIONS", "Abbreviations"));
  const double height = characters.frame().height;

  char_selector_ = &characters.add_subview(
      std::make_unique<platform::ui::PopUpButton>(Rect{8, height - 30, 230, 24}));
  char_selector_->set_identifier("category");
  char_selector_->set_action([this](platform::ui::PopUpButton&) { charSelectorChanged(); });

  user_only_ = &characters.add_subview(std::make_unique<platform::ui::CheckBox>(
      Rect{246, height - 30, 100, 24},
      localized_string(kServerBundleIdentifier, "ACC_USER_ONLY", "User only")));
  user_only_->set_identifier("user-only");
  user_only_->set_hidden(true);
  user_only_->set_on(false);
  user_only_->set_action([this](platform::ui::Button&) { userOnlyChanged(); });

  const double grid_width = CharAccMatrixView::kColumns * CharAccMatrixView::kCell;
  char_scroll_ = &characters.add_subview(std::make_unique<platform::ui::ScrollView>(
      Rect{8, height - 36 - CharAccMatrixView::kMinimumHeight, grid_width,
           CharAccMatrixView::kMinimumHeight}));
  char_scroll_->set_identifier("characters");
  auto matrix = std::make_unique<CharAccMatrixView>(
      Rect{0, 0, grid_width, CharAccMatrixView::kMinimumHeight}, KEPSendAccText);
  char_matrix_ = matrix.get();
  char_scroll_->set_document_view(std::move(matrix));

  abbr_view_ = &abbreviations.add_subview(std::make_unique<platform::ui::TableView>(
      Rect{8, 8, abbreviations.frame().width - 16, abbreviations.frame().height - 16}));
  abbr_view_->set_identifier("abbreviations");
  abbr_view_->add_column({KEPAccAbbrDatasource::kTextColumn, "", abbr_view_->frame().width});
  panel_->set_content_view(std::move(root));
}

void KEPAccessory::showAccPanel() {
  if (panel_->is_visible()) {
    tracked_ = 1;
    closeAccPanel();
    return;
  }
  const Rect visible = platform::ui::main_screen().visible_frame;
  reloadAccAbbr();
  reloadAccChar();
  // The right edge of the visible frame, wherever it starts.
  panel_->set_frame_origin({visible.x + visible.width - panel_->frame().width - kScreenMargin,
                            visible.y + kScreenBottom});
  panel_->animator().stop();
  panel_->set_alpha(kShowingAlpha);
  panel_->make_key_and_order_front();
  display();
  panel_->animateFadeIn();
  tracked_ = 0;
  // One fade per showing: a timer of an earlier showing must not dim this one early.
  cancelFade();
  fade_timer_ = loop_.add_timer(kFadeDelay, [this] {
    fade_timer_ = 0;
    if (tracked_ == 0 && panel_->is_visible()) performFade();
  });
}

void KEPAccessory::performFade() {
  panel_->animateFadeOut();
  tracked_ = 1;
}

void KEPAccessory::cancelFade() {
  if (fade_timer_ != 0) loop_.cancel_timer(fade_timer_);
  fade_timer_ = 0;
}

void KEPAccessory::closeAccPanel() {
  cancelFade();
  tracked_ = 1;
  if (!panel_->is_visible()) return;
  panel_->animator().stop();
  panel_->order_out();
  display();
}

void KEPAccessory::display() { KEPDisplayWindow(*panel_); }

void KEPAccessory::reloadAccChar() {
  char_selector_->remove_all_items();
  const std::vector<ime_vmode_entry_t>& system = QAVModeSystemEntries();
  const std::vector<ime_vmode_entry_t>& user = QAVModeUserEntries();
  bool listed_system = false;
  for (std::size_t i = 0; i < system.size(); ++i) {
    if (!describable(system[i])) continue;
    char_selector_->add_item(system[i].description + " " + system[i].key, static_cast<int>(i));
    listed_system = true;
  }
  if (!user.empty()) {
    if (listed_system) char_selector_->add_separator();
    for (std::size_t i = 0; i < user.size(); ++i) {
      if (!describable(user[i])) continue;
      char_selector_->add_item(user[i].description + " " + user[i].key,
                               kUserCategoryTag + static_cast<int>(i));
    }
  }
  // The choice between the user's categories and all of them matters only when there are some.
  user_only_->set_hidden(user.empty());
  if (user.empty()) user_only_->set_on(false);
  userOnlyChanged();
}

void KEPAccessory::charSelectorChanged() {
  const platform::ui::PopUpItem* item = char_selector_->selected_item();
  if (item == nullptr || item->separator) return;
  // By the tag, not by the title: a description may hold blanks.
  const bool user = item->tag >= kUserCategoryTag;
  const std::vector<ime_vmode_entry_t>& table = user ? QAVModeUserEntries() : QAVModeSystemEntries();
  const std::size_t position = static_cast<std::size_t>(user ? item->tag - kUserCategoryTag : item->tag);
  if (position >= table.size()) return;
  const ime_vmode_entry_t* entry = QAVModeGetItem(table[position].key.c_str());
  if (entry == nullptr) return;

  const int count = std::min<int>(static_cast<int>(entry->items.size()), kMaxCharacters);
  const int columns = count <= CharAccMatrixView::kColumns ? count : CharAccMatrixView::kColumns;
  const int rows = count <= CharAccMatrixView::kColumns ? 1 : count / CharAccMatrixView::kColumns + 1;
  char_matrix_->setRowColumnCount(rows, columns, count);
  for (int k = 0; k < count; ++k) {
    if (!platform::text::is_valid_utf8(entry->items[k])) continue;
    char_matrix_->setTitle(entry->items[k], k / CharAccMatrixView::kColumns,
                           k % CharAccMatrixView::kColumns);
  }
  char_scroll_->tile();
  char_scroll_->scroll_to_point({0, char_matrix_->bounds().height});
}

void KEPAccessory::userOnlyChanged() {
  // "User only" shows the user's categories alone; off, every category shows.
  const bool only_user = user_only_->is_on();
  const std::vector<platform::ui::PopUpItem>& items = char_selector_->items();
  int first_shown = -1;
  for (int i = 0; i < static_cast<int>(items.size()); ++i) {
    const bool hide = only_user && (items[i].separator || items[i].tag < kUserCategoryTag);
    char_selector_->set_item_hidden(i, hide);
    if (!hide && !items[i].separator && first_shown < 0) first_shown = i;
  }
  if (first_shown < 0) {
    char_matrix_->setRowColumnCount(0, 0, 0);
    return;
  }
  char_selector_->select_item_at(first_shown);
  charSelectorChanged();
}

void KEPAccessory::reloadAccAbbr() {
  if (!abbr_source_) {
    abbr_source_ = std::make_unique<KEPAccAbbrDatasource>(KEPSendAccText);
    abbr_view_->set_data_source(abbr_source_.get());
  }
  abbr_source_->load();
  abbr_view_->reload_data();
}

}  // namespace imkkep
