#include "candidatewindow/app/vmode_panel.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <system_error>
#include <unordered_set>

#include "CoreSource/base/datafolder.h"
#include "CoreSource/tables/vmode.h"
#include "candidatewindow/app/vmode_script.h"
#include "candidatewindow/protocol/ComData.h"
#include "candidatewindow/protocol/message_ids.h"
#include "candidatewindow/protocol/send_to_im.h"
#include "candidatewindow/skin/screen_placement.h"
#include "platform/text.h"
#include "platform/ui/screens.h"

namespace kepcandidatewindow {

namespace {

namespace fs = std::filesystem;
using platform::plist::Array;
using platform::plist::Dictionary;
using platform::plist::Value;

// The panel sits this far below the spot the placement rule gives, clear of the caret line.
constexpr double kPanelDrop = 5;
// Wide enough for the longest shipped key; the description takes the rest of the panel.
constexpr double kKeyColumnWidth = 60;

Dictionary row_of(const ime_vmode_entry_t& entry) {
  Array items;
  items.reserve(entry.items.size());
  for (const std::string& item : entry.items) items.emplace_back(item);
  Dictionary row;
  row.set(kVModeRowKey, entry.key);
  row.set(kVModeRowDescription, entry.description);
  row.set(kVModeRowItems, std::move(items));
  return row;
}

std::string text_of(const Value& row, const char* key) {
  const Dictionary* fields = row.as_dictionary();
  const Value* value = fields ? fields->find(key) : nullptr;
  const std::string* text = value ? value->as_string() : nullptr;
  return text ? *text : std::string();
}

bool less_ignoring_case(const std::string& left, const std::string& right) {
  return std::lexicographical_compare(
      left.begin(), left.end(), right.begin(), right.end(), [](unsigned char a, unsigned char b) {
        auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
        return lower(a) < lower(b);
      });
}

// VALUE without its leading trigger character; a broken lead byte counts as one character.
std::string_view typed_key(std::string_view value) {
  if (value.empty()) return value;
  std::size_t first = platform::text::utf8_sequence_length(static_cast<unsigned char>(value[0]));
  if (first == 0 || first > value.size()) first = 1;
  return value.substr(first);
}

platform::plist::Data bytes_of(const std::string& text) {
  return platform::plist::Data(text.begin(), text.end());
}

}  // namespace

Array mergeVModeRows() {
  Array rows;
  std::unordered_set<std::string> userKeys;
  for (const ime_vmode_entry_t& entry : QAVModeUserEntries()) {
    userKeys.insert(entry.key);
    rows.emplace_back(row_of(entry));
  }
  for (const ime_vmode_entry_t& entry : QAVModeSystemEntries()) {
    if (!userKeys.contains(entry.key)) rows.emplace_back(row_of(entry));
  }
  std::stable_sort(rows.begin(), rows.end(), [](const Value& left, const Value& right) {
    return less_ignoring_case(text_of(left, kVModeRowKey), text_of(right, kVModeRowKey));
  });
  return rows;
}

VModePanel::VModePanel(platform::ui::Window& window, BundleLocator locator, Logger log)
    : window_(window), locator_(std::move(locator)), log_(std::move(log)) {
  window_.set_content_view(std::make_unique<platform::ui::TableView>(platform::ui::Rect{}));
  table_ = static_cast<platform::ui::TableView*>(window_.content_view());
  const double width = window_.frame().width;
  table_->add_column({kVModeKeyColumn, "", std::min(kKeyColumnWidth, width)});
  table_->add_column({kVModeDescriptionColumn, "", std::max(0.0, width - kKeyColumnWidth)});
  table_->set_data_source(this);
  setScriptRowTarget(&rows_);
}

VModePanel::~VModePanel() {
  // The window may hold a later panel's table by now; this one's is then gone already.
  if (window_.content_view() == table_) table_->set_data_source(nullptr);
  if (scriptRowTarget() == &rows_) setScriptRowTarget(nullptr);
  if (loaded_) QAVModeRelease();
}

std::optional<platform::Bundle> VModePanel::findInputMethodBundle() {
  return platform::Bundle::find(kInputMethodBundleIdentifier);
}

void VModePanel::logToStandardError(std::string_view line) {
  std::fprintf(stderr, "IMKKEPCandidateWindow: %.*s\n", static_cast<int>(line.size()), line.data());
}

void VModePanel::loadVMode() {
  loaded_ = true;
  userTableTime_ = userTableTime();
  rows_.clear();
  // Released first: the engine reads the shipped table once per process and the user's only
  // when its time in whole seconds moved, and a change within one second must still show.
  QAVModeRelease();
  if (std::optional<platform::Bundle> bundle = locator_ ? locator_() : std::nullopt) {
    QAVModeInit(&*bundle);
    rows_ = mergeVModeRows();
  }
  // Reloaded even when empty: the table must not go on asking for rows that are gone.
  table_->reload_data();
  if (rows_.empty()) {
    table_->select_row(-1);
  } else {
    select(0);
  }
}

std::optional<fs::file_time_type> VModePanel::userTableTime() const {
  const std::string& folder = QAGetAppSupportPathString();
  if (folder.empty()) return std::nullopt;
  std::error_code error;
  fs::file_time_type time = fs::last_write_time(fs::path(folder) / "vmode.txt", error);
  if (error) return std::nullopt;
  return time;
}

void VModePanel::reloadWhenModified() {
  if (!loaded_) {
    loadVMode();
    return;
  }
  std::optional<fs::file_time_type> time = userTableTime();
  if (!time || time == userTableTime_) return;
  log_("vmode information has been modified.");
  loadVMode();
}

void VModePanel::showFor(const kepcandidate::VModeShowMessage& message, bool skinStyle) {
  reloadWhenModified();
  const std::string_view typed = message.value ? typed_key(*message.value) : std::string_view();
  if (!typed.empty()) {
    for (std::size_t row = 0; row < rows_.size(); ++row) {
      const std::string key = text_of(rows_[row], kVModeRowKey);
      if (!key.starts_with(typed)) continue;
      select(row);
      if (key.size() == typed.size()) sendMatched(row);
      break;
    }
  }
  if (message.caret) place(*message.caret, message.fh, skinStyle);
}

void VModePanel::selectPrevious() {
  const std::optional<std::size_t> selected = selectedRow();
  if (selected && *selected > 0) select(*selected - 1);
}

void VModePanel::selectNext() {
  if (rows_.empty()) return;
  const std::optional<std::size_t> selected = selectedRow();
  if (!selected) {
    select(0);
  } else if (*selected + 1 < rows_.size()) {
    select(*selected + 1);
  }
}

void VModePanel::chooseSelected() {
  const std::optional<std::size_t> selected = selectedRow();
  if (selected && *selected < rows_.size()) sendMatched(*selected);
}

std::optional<std::size_t> VModePanel::selectedRow() const {
  const int row = table_->selected_row();
  if (row < 0) return std::nullopt;
  return static_cast<std::size_t>(row);
}

void VModePanel::select(std::size_t row) {
  table_->select_row(static_cast<int>(row));
  table_->scroll_row_to_visible(static_cast<int>(row));
}

int VModePanel::number_of_rows(const platform::ui::TableView&) {
  return static_cast<int>(std::min<std::size_t>(rows_.size(), std::numeric_limits<int>::max()));
}

std::optional<std::string> VModePanel::object_value(const platform::ui::TableView&,
                                                    std::string_view column, int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return std::nullopt;
  if (column == kVModeKeyColumn) return text_of(rows_[row], kVModeRowKey);
  if (column == kVModeDescriptionColumn) return text_of(rows_[row], kVModeRowDescription);
  return std::nullopt;
}

bool VModePanel::should_edit(platform::ui::TableView&, std::string_view, int row) {
  // The list is never edited: the edit gesture chooses the row instead.
  if (row >= 0 && static_cast<std::size_t>(row) < rows_.size()) sendMatched(row);
  return false;
}

void VModePanel::sendMatched(std::size_t row) const {
  Array values;
  if (const Dictionary* fields = rows_[row].as_dictionary()) {
    const Value* items = fields->find(kVModeRowItems);
    if (const Array* list = items ? items->as_array() : nullptr) {
      for (const Value& item : *list) {
        if (const std::string* text = item.as_string()) values.emplace_back(bytes_of(*text));
      }
    }
  }
  kepcandidate::ComData data;
  data.setObject(bytes_of(text_of(rows_[row], kVModeRowKey)), "KEY");
  data.setObject(std::move(values), "VALUE");
  kepcandidate::SendMessageToIM(kepcandidate::kKEPSVModeMatched, data.data());
}

void VModePanel::place(const kepcandidate::VModeShowMessage::Caret& caret, std::int32_t fh,
                       bool skinStyle) {
  const platform::ui::Rect frame = window_.frame();
  kepskin::Placement placed = kepskin::viewBoundsForSize(
      frame.width, frame.height,
      platform::ui::Point{static_cast<double>(caret.x), static_cast<double>(caret.y)},
      static_cast<double>(fh), skinStyle, platform::ui::screens());
  placed.box.y -= kPanelDrop;
  window_.set_frame(placed.box);
}

}  // namespace kepcandidatewindow
