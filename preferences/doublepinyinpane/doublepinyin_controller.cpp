#include "preferences/doublepinyinpane/doublepinyin_controller.h"

#include <algorithm>
#include <cstdio>

#include "platform/gfx/image.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/window_registry.h"
#include "preferences/doublepinyinpane/pane_texts.h"
#include "preferences/panekit/pane_view.h"

namespace dpypane {

using platform::plist::Dictionary;
using platform::plist::Value;
using platform::ui::Rect;

namespace {

constexpr double kWidth = 560;
constexpr double kHeight = 360;
constexpr const char* kCheckColumn = "CHECK";
constexpr const char* kFileColumn = "FILE";
constexpr platform::gfx::Colour kBuiltinText{0.5, 0.5, 0.5, 1};
constexpr platform::gfx::Colour kBuiltinSelectedText{0.85, 0.85, 0.85, 1};

void log_line(const std::string& line) {
  std::fprintf(stderr, "DoublePinyinPane: %s\n", line.c_str());
}

}  // namespace

DoublePinyinController::DoublePinyinController() : FixedPane("DPY_PANE_NAME", "DoublePinyin.png") {
  loop_ = panekit::host_run_loop();
}

DoublePinyinController::~DoublePinyinController() {
  question_.reset();
  errorAlert_.reset();
  if (_view == nullptr) return;
  _view->release();
}

void DoublePinyinController::viewDidGo() {
  question_.reset();
  errorAlert_.reset();
  _view = nullptr;
  _enableDoublePinyin = nullptr;
  _addSchemeButton = nullptr;
  _removeSchemeButton = nullptr;
  _content = nullptr;
  _schemeList = nullptr;
  _loaded = false;
}

platform::ui::View* DoublePinyinController::paneView() {
  if (_view == nullptr) build_view();
  return _view;
}

void DoublePinyinController::build_view() {
  auto view = std::make_unique<DoublePinyinView>(Rect{0, 0, kWidth, kHeight}, this);
  view->set_identifier("doublePinyinPane");

  auto check = std::make_unique<platform::ui::CheckBox>(Rect{20, kHeight - 40, 300, 22},
                                                        text("DPY_ENABLE"));
  check->set_identifier("enableDoublePinyin");
  check->set_action([this](platform::ui::Button&) { enableDoublePinyin(); });
  _enableDoublePinyin = &view->add_subview(std::move(check));

  auto table = std::make_unique<SchemeTable>(Rect{20, 60, 180, kHeight - 110});
  table->set_identifier("schemeList");
  table->add_column({kCheckColumn, "", 20, platform::ui::TableCellKind::Image});
  table->add_column({kFileColumn, "", 160});
  table->set_data_source(this);
  table->set_selection_guard(
      [this](int row) { return selectionShouldChange() && shouldSelectRow(row); });
  _schemeList = &view->add_subview(std::move(table));

  const auto button = [&view](Rect frame, const char* identifier, const char* title,
                              std::function<void()> action) {
    auto made = std::make_unique<platform::ui::Button>(frame, title);
    made->set_identifier(identifier);
    made->set_bezel_style(platform::ui::kSmallSquareBezelStyle);
    made->set_action([action = std::move(action)](platform::ui::Button&) { action(); });
    return &view->add_subview(std::move(made));
  };
  _addSchemeButton = button(Rect{20, 30, 28, 24}, "addScheme", "+", [this] { addScheme(); });
  _removeSchemeButton =
      button(Rect{48, 30, 28, 24}, "removeScheme", "-", [this] { removeScheme(); });

  const Rect text_frame{215, 30, kWidth - 235, kHeight - 80};
  auto scroll = std::make_unique<platform::ui::ScrollView>(text_frame);
  scroll->set_identifier("contentScroll");
  auto content = std::make_unique<SchemeTextView>(Rect{0, 0, text_frame.width, text_frame.height});
  content->set_identifier("content");
  _content = content.get();
  scroll->set_document_view(std::move(content));
  view->add_subview(std::move(scroll));

  _view = view.release();
  apply_enabled();
}

bool DoublePinyinController::is_on() const {
  return _enableDoublePinyin != nullptr && _enableDoublePinyin->is_on();
}

bool DoublePinyinController::is_user_row(int row) const {
  return row >= 0 && row < static_cast<int>(_spcList.size()) && _spcList[row].user;
}

void DoublePinyinController::apply_enabled() {
  if (_view == nullptr) return;
  const bool on = is_on();
  const bool user = is_user_row(_schemeList->selected_row());
  _schemeList->set_enabled(on);
  _addSchemeButton->set_enabled(on);
  _removeSchemeButton->set_enabled(on && user);
  _content->set_editable(on && user && contentWritable_);
}

void DoublePinyinController::enableDoublePinyin() { apply_enabled(); }

// --- Table ------------------------------------------------------------------------------------

int DoublePinyinController::number_of_rows(const platform::ui::TableView& table) {
  return &table == _schemeList ? static_cast<int>(_spcList.size()) : 0;
}

std::optional<std::string> DoublePinyinController::object_value(
    const platform::ui::TableView& table, std::string_view column, int row) {
  if (&table != _schemeList || row < 0 || row >= static_cast<int>(_spcList.size())) {
    return std::nullopt;
  }
  if (column == kFileColumn) return _spcList[row].name;
  return std::string();
}

std::optional<platform::ui::CellImage> DoublePinyinController::image_value(
    const platform::ui::TableView& table, std::string_view column, int row) {
  if (&table != _schemeList || column != kCheckColumn || row != _schemeList->selected_row() ||
      row < 0 || row >= static_cast<int>(_spcList.size())) {
    return std::nullopt;
  }
  if (!checkImage_) {
    if (std::optional<std::filesystem::path> file = pane_resource("DoublePinyin.png")) {
      std::string why;
      checkImage_ = platform::ui::load_cell_image(*file, &why);
    }
  }
  return checkImage_;
}

std::optional<platform::gfx::Colour> DoublePinyinController::text_colour(
    const platform::ui::TableView& table, std::string_view column, int row) {
  if (&table != _schemeList || column != kFileColumn || row < 0 ||
      row >= static_cast<int>(_spcList.size()) || _spcList[row].user) {
    return std::nullopt;
  }
  return row == _schemeList->selected_row() ? kBuiltinSelectedText : kBuiltinText;
}

bool DoublePinyinController::should_edit(platform::ui::TableView& table, std::string_view column,
                                         int row) {
  // Only the user's own names change; a shipped scheme keeps the name the engine knows it by.
  return &table == _schemeList && column == kFileColumn && is_on() && is_user_row(row);
}

void DoublePinyinController::set_object_value(platform::ui::TableView& table,
                                              std::string_view column, int row,
                                              const std::string& typed) {
  if (&table != _schemeList || column != kFileColumn) return;
  rename(row, typed);
}

void DoublePinyinController::reload_table() {
  if (_schemeList == nullptr) return;
  _schemeList->reload_data();
  _schemeList->set_needs_display();
}

bool DoublePinyinController::selectionShouldChange() {
  if (std::optional<std::string> why = write_selected()) {
    const SchemeRecord& scheme = _spcList[_schemeList->selected_row()];
    show_error(format_with(text("SPC_WRITE_FAILED"),
                           {scheme.name, why->empty() ? text("ERROR_NODESC") : *why}));
    return false;
  }
  return true;
}

std::optional<std::string> DoublePinyinController::write_selected() {
  if (_schemeList == nullptr) return std::nullopt;
  const int row = _schemeList->selected_row();
  if (!is_user_row(row) || !contentWritable_) return std::nullopt;
  std::string why;
  if (write_scheme(_spcList[row], _content->text(), &why)) return std::nullopt;
  return why;
}

bool DoublePinyinController::shouldSelectRow(int row) {
  if (row < 0 || row >= static_cast<int>(_spcList.size())) return false;
  const SchemeRecord& scheme = _spcList[row];
  const ReadScheme read = read_scheme(scheme);
  _content->show_text(read.outcome == ReadScheme::Outcome::Read ? read.text : std::string());
  contentWritable_ = read.outcome != ReadScheme::Outcome::Unreadable;
  if (!contentWritable_) log_line("Cannot read the scheme " + scheme.file().string());
  // The table moves its selection after this answer; the controls follow the row it will be.
  const bool on = is_on();
  _removeSchemeButton->set_enabled(on && scheme.user);
  _content->set_editable(on && scheme.user && contentWritable_);
  return true;
}

void DoublePinyinController::select_and_load(int row) {
  if (_schemeList == nullptr) return;
  if (row < 0 || row >= static_cast<int>(_spcList.size())) {
    _schemeList->select_row(-1);
    _content->show_text({});
    contentWritable_ = false;
    apply_enabled();
    return;
  }
  _schemeList->select_row(row);
  _schemeList->scroll_row_to_visible(row);
  shouldSelectRow(row);
  apply_enabled();
}

// --- Settings -----------------------------------------------------------------------------------

void DoublePinyinController::loadPrefs(Dictionary& prefs) {
  if (_loaded) return;
  if (paneView() == nullptr) return;
  _loaded = true;
  _enableDoublePinyin->set_on(panekit::is_set(prefs, kEnableKey));
  _schemeList->end_editing(false);

  _spcList.clear();
  if (std::optional<std::filesystem::path> builtin = builtin_scheme_folder()) {
    _spcList = list_schemes(*builtin, false);
  }
  for (SchemeRecord& scheme : list_schemes(user_scheme_folder(), true)) {
    _spcList.push_back(std::move(scheme));
  }

  // A chosen scheme no longer listed selects nothing, so saving keeps the setting as it was.
  int row = _spcList.empty() ? -1 : 0;
  const Value* chosen = prefs.find(kSchemeKey);
  const std::string name = chosen != nullptr ? chosen->string_value().value_or("") : "";
  if (!name.empty()) {
    const auto found =
        std::find_if(_spcList.begin(), _spcList.end(),
                     [&](const SchemeRecord& scheme) { return same_name(scheme.name, name); });
    row = found == _spcList.end() ? -1 : static_cast<int>(found - _spcList.begin());
  }
  reload_table();
  select_and_load(row);
}

void DoublePinyinController::savePrefs(Dictionary& prefs) {
  if (!_loaded || _view == nullptr) return;
  // Closing the window is leaving the scheme too: what was typed is kept.
  _schemeList->end_editing(true);
  if (std::optional<std::string> why = write_selected()) {
    log_line("The scheme " + _spcList[_schemeList->selected_row()].name +
             " is not written: " + *why);
  }
  prefs.set(kEnableKey, Value(is_on()));
  const int row = _schemeList->selected_row();
  if (row >= 0 && row < static_cast<int>(_spcList.size())) {
    prefs.set(kSchemeKey, Value(_spcList[row].name));
  }
}

void DoublePinyinController::reloadPrefs(Dictionary& prefs) {
  if (!_loaded) return;
  // The list is read again: what was typed goes to its file first.
  if (_view != nullptr) {
    _schemeList->end_editing(true);
    if (std::optional<std::string> why = write_selected()) log_line("Not written: " + *why);
  }
  _loaded = false;
  loadPrefs(prefs);
}

// --- Rename, add, remove ------------------------------------------------------------------

void DoublePinyinController::rename(int row, const std::string& typed) {
  if (!is_user_row(row) || typed.empty()) return;
  const std::string name = with_scheme_extension(typed);
  if (name == _spcList[row].name) return;
  if (!is_plain_file_name(name)) {
    show_error(format_with(text("SPC_NAME_INVALID"), {name}));
    return;
  }
  if (name_taken(_spcList, name, row, user_scheme_folder())) {
    show_error(format_with(text("SPC_NAME_DUPL"), {name}));
    return;
  }
  // The file keeps its old name; the text goes under the new one at the next write.
  _spcList[row].name = name;
  reload_table();
}

void DoublePinyinController::addScheme() {
  if (_view == nullptr || !is_on()) return;
  _schemeList->end_editing(true);
  // The new row takes the selection: what was typed in the old one is written first.
  if (!selectionShouldChange()) return;
  const std::filesystem::path folder = user_scheme_folder();
  std::optional<std::string> name = folder.empty() ? std::nullopt : free_new_name(_spcList, folder);
  if (!name) {
    show_error(text("NEW_SPC_FAILED"));
    return;
  }
  _spcList.push_back({folder, *name, true});
  reload_table();
  select_and_load(static_cast<int>(_spcList.size()) - 1);
}

void DoublePinyinController::removeScheme() {
  if (_view == nullptr || _parentWindow == nullptr || _parentWindow->registry() == nullptr ||
      loop_ == nullptr || (question_ && question_->is_running())) {
    return;
  }
  const int row = _schemeList->selected_row();
  if (!is_user_row(row)) return;
  _schemeList->end_editing(true);
  const SchemeRecord scheme = _spcList[row];
  // The old question leaves the program's windows before the new one takes its name.
  question_.reset();
  question_ = std::make_unique<platform::ui::Alert>(*_parentWindow->registry(), *loop_,
                                                    _parentWindow->program(), "DeleteScheme");
  question_->set_message_text(text("QUESTION_TITLE"));
  question_->set_informative_text(format_with(text("DELETE_SPC_FILE"), {scheme.name}));
  question_->add_button("BUTTON_NO", text("BUTTON_NO"));
  question_->add_button("BUTTON_YES", text("BUTTON_YES"));
  question_->set_default_button("BUTTON_NO");
  // The answer comes through the run loop: by then the pane may be gone.
  std::weak_ptr<bool> alive = alive_;
  question_->begin_sheet(*_parentWindow, [this, alive, scheme](int return_code) {
    if (!alive.expired()) deleteDidEnd(return_code, scheme);
  });
}

void DoublePinyinController::deleteDidEnd(int return_code, const SchemeRecord& scheme) {
  if (_view == nullptr || !question_ || return_code != question_->return_code("BUTTON_YES")) return;
  // The question named one scheme: it acts only while that scheme is still the selected row.
  const int row = _schemeList->selected_row();
  if (!is_user_row(row) || _spcList[row].name != scheme.name || _spcList[row].base != scheme.base) {
    return;
  }
  std::error_code error;
  const bool existed =
      std::filesystem::exists(std::filesystem::symlink_status(scheme.file(), error));
  if (existed && !std::filesystem::remove(scheme.file(), error)) {
    log_line("Delete " + scheme.file().string() + " failed: " + error.message());
  }
  _spcList.erase(_spcList.begin() + row);
  contentWritable_ = false;
  reload_table();
  select_and_load(std::min(row, static_cast<int>(_spcList.size()) - 1));
}

void DoublePinyinController::show_error(const std::string& message) {
  log_line(message);
  if (_parentWindow == nullptr || _parentWindow->registry() == nullptr || loop_ == nullptr) return;
  // Kept until the next one, so the program's control port can still describe it.
  errorAlert_.reset();
  errorAlert_ = std::make_unique<platform::ui::Alert>(
      *_parentWindow->registry(), *loop_, _parentWindow->program(), "DoublePinyinError");
  errorAlert_->set_message_text(text("ERROR_TITLE"));
  errorAlert_->set_informative_text(message);
  errorAlert_->add_button("BUTTON_OK", text("BUTTON_OK"));
  errorAlert_->run_modal();
}

}  // namespace dpypane
