#include "preferences/codetablepane/codetable_controller.h"

#include <system_error>

#include "platform/files.h"
#include "platform/gfx/image.h"
#include "platform/ui/window_registry.h"
#include "preferences/codetablepane/dialogs.h"
#include "preferences/codetablepane/pane_log.h"
#include "preferences/panekit/pane_bundle.h"
#include "preferences/panekit/pane_view.h"
#include "preferences/panekit/redisplay.h"

namespace codetablepane {

using panekit::pane_string;
using platform::plist::Dictionary;
using platform::plist::Value;
using platform::ui::Rect;

namespace {

constexpr double kWidth = 560;
constexpr double kHeight = 380;

}  // namespace

PCTController::PCTController() : FixedPane("PCT_PANE_NAME", "plugin_link.png") {
  loop_ = panekit::host_run_loop();
}

PCTController::~PCTController() {
  stop_work();
  if (_view == nullptr) return;
  _view->release();
}

void PCTController::stop_work() {
  // The build sheet waits for its worker, which installs nothing once stopped.
  buildSheet_.reset();
  codeSheet_.reset();
  question_.reset();
  alert_.reset();
  openPanel_.reset();
}

void PCTController::viewDidGo() {
  stop_work();
  _view = nullptr;
  _applyCodeTable = nullptr;
  _schemeList = nullptr;
  form_ = OptionForm();
  _addButton = _removeButton = _buildButton = _codeButton = nullptr;
  _loaded = false;
}

platform::ui::View* PCTController::paneView() {
  if (_view == nullptr) build_view();
  return _view;
}

void PCTController::setParentWindow(platform::ui::Window* window) { _parentWindow = window; }

bool PCTController::ready() const {
  return _view != nullptr && _parentWindow != nullptr && _parentWindow->registry() != nullptr &&
         loop_ != nullptr;
}

std::string PCTController::folder() {
  std::string ignored;
  return codetable::PlugCodeTableFolder(&ignored);
}

void PCTController::build_view() {
  auto view = std::make_unique<PCTView>(Rect{0, 0, kWidth, kHeight}, this);
  view->set_identifier("pctPane");

  auto apply = std::make_unique<platform::ui::CheckBox>(Rect{20, kHeight - 36, 300, 22},
                                                        "Type with a code table");
  apply->set_identifier("applyCodeTable");
  apply->set_action([this](platform::ui::Button&) { applyPCT(); });
  _applyCodeTable = &view->add_subview(std::move(apply));

  auto table = std::make_unique<SchemeTable>(Rect{20, 80, 200, kHeight - 130});
  table->set_identifier("schemeList");
  table->add_column({"NAME", "Code table", 196});
  table->set_data_source(this);
  table->set_selection_changed([this](int left, int chosen) {
    saveCurrentScheme(left);
    show_scheme(chosen);
  });
  _schemeList = &view->add_subview(std::move(table));

  form_.add_to(*view, 240, kHeight - 76, "scheme");

  const auto button = [&view](Rect frame, const char* identifier, const char* title,
                              std::function<void()> action) {
    auto made = std::make_unique<platform::ui::Button>(frame, title);
    made->set_identifier(identifier);
    made->set_action([action = std::move(action)](platform::ui::Button&) { action(); });
    return &view->add_subview(std::move(made));
  };
  _addButton = button(Rect{20, 50, 28, 24}, "addScheme", "+", [this] { addScheme(); });
  _addButton->set_bezel_style(platform::ui::kSmallSquareBezelStyle);
  _removeButton = button(Rect{48, 50, 28, 24}, "removeScheme", "-", [this] { removeScheme(); });
  _removeButton->set_bezel_style(platform::ui::kSmallSquareBezelStyle);
  _buildButton = button(Rect{240, 46, 140, 28}, "buildCustomTable", "New Table...",
                        [this] { buildCustomTable(); });
  _codeButton = button(Rect{390, 46, 140, 28}, "addNewCode", "Extra Codes...", [this] { addNewCode(); });

  _view = view.release();
  form_.show(nullptr);
}

// --- The list -------------------------------------------------------------------------------

int PCTController::number_of_rows(const platform::ui::TableView& table) {
  return &table == _schemeList ? static_cast<int>(_schemes.size()) : 0;
}

std::optional<std::string> PCTController::object_value(const platform::ui::TableView& table,
                                                       std::string_view, int row) {
  if (&table != _schemeList || row < 0 || row >= static_cast<int>(_schemes.size())) return std::nullopt;
  return _schemes[row].name;
}

int PCTController::selected_row() const {
  if (_schemeList == nullptr) return -1;
  const int row = _schemeList->selected_row();
  return row >= 0 && row < static_cast<int>(_schemes.size()) ? row : -1;
}

void PCTController::loadScheme(const std::string& name) {
  if (_view == nullptr) return;
  pane_log("Load scheme with " + name);
  _schemes = codetable::ListSchemes(folder(), pane_log);
  const int row = codetable::FindScheme(_schemes, name);
  _schemeList->reload_data();
  _schemeList->select_row(row);
  show_scheme(row);
  update_enabling();
  panekit::redisplay_window_of(_schemeList);
}

void PCTController::show_scheme(int row) {
  if (row < 0 || row >= static_cast<int>(_schemes.size())) {
    form_.show(nullptr);
    return;
  }
  form_.show(&_schemes[row].line);
}

void PCTController::saveCurrentScheme(int row) {
  if (_view == nullptr || row < 0 || row >= static_cast<int>(_schemes.size())) return;
  codetable::InstalledScheme& scheme = _schemes[row];
  pane_log("Save current scheme:" + std::to_string(row) + ", name=" + scheme.name);
  codetable::SchemeLine line = form_.read(scheme.line);
  // What cannot be a scheme's option keeps the value the scheme had.
  if (line.max_key_length < 1 || line.max_key_length > kMaxKeyLimit) {
    line.max_key_length = scheme.line.max_key_length;
  }
  if (!form_.wildcard_text().empty() && !codetable::IsWildcard(form_.wildcard_text())) {
    line.wildcard = scheme.line.wildcard;
  }
  if (line == scheme.line) return;
  const std::string path = folder() + "/" + scheme.file;
  std::error_code ignored;
  if (!std::filesystem::exists(path, ignored)) return;
  std::string why;
  if (!codetable::WriteSchemeFile(path, line, &why)) {
    pane_log("Open scheme file '" + path + "' failed! " + why);
    return;
  }
  scheme.line = line;
}

void PCTController::update_enabling() {
  if (_view == nullptr) return;
  const bool on = _applyCodeTable->is_on();
  const bool any = !_schemes.empty();
  _schemeList->set_enabled(on);
  form_.set_enabled(on && any);
  _addButton->set_enabled(on);
  _buildButton->set_enabled(on);
  _removeButton->set_enabled(on && any);
  _codeButton->set_enabled(any);
}

void PCTController::applyPCT() {
  update_enabling();
  panekit::redisplay_window_of(_view);
}

// --- Settings -------------------------------------------------------------------------------

void PCTController::loadPrefs(Dictionary& prefs) {
  if (_loaded) return;
  if (paneView() == nullptr) return;
  _loaded = true;
  _applyCodeTable->set_on(panekit::is_set(prefs, kEnablePlugKey));
  const Value* scheme = prefs.find(kCodeTableSchemeKey);
  loadScheme(scheme != nullptr ? scheme->string_value().value_or("") : "");
}

void PCTController::savePrefs(Dictionary& prefs) {
  if (!_loaded || _view == nullptr) return;
  const int row = selected_row();
  saveCurrentScheme(row);
  prefs.set(kEnablePlugKey, Value(_applyCodeTable->is_on() && row >= 0));
  if (row >= 0) {
    prefs.set(kCodeTableSchemeKey, Value(_schemes[row].file));
  } else {
    prefs.erase(kCodeTableSchemeKey);
  }
}

void PCTController::reloadPrefs(Dictionary& prefs) {
  if (!_loaded) return;
  _loaded = false;
  loadPrefs(prefs);
}

platform::ui::UserDefaults* PCTController::user_defaults() {
  if (kep_preferences_user_defaults != nullptr) {
    if (platform::ui::UserDefaults* shared = kep_preferences_user_defaults()) return shared;
  }
  if (!ownDefaults_) {
    const auto& host = panekit::host_bundle();
    if (!host) return nullptr;
    std::error_code error;
    ownDefaults_ = platform::ui::UserDefaults::open(host->identifier(), error);
  }
  return ownDefaults_ ? &*ownDefaults_ : nullptr;
}

void PCTController::info(const std::string& text) {
  if (ready()) run_alert(alert_, *_parentWindow, *loop_, "CodeTableInfo", "INFO_TITLE", text);
}

// --- Build ----------------------------------------------------------------------------------

void PCTController::buildCustomTable() {
  if (!ready() || (buildSheet_ && (buildSheet_->is_open() || buildSheet_->is_building()))) return;
  saveCurrentScheme(selected_row());
  buildSheet_.reset();
  buildSheet_ = std::make_unique<BuildSheet>(*loop_, *_parentWindow, folder(), user_defaults(),
                                             [this](const std::string& name) { loadScheme(name); });
  buildSheet_->open();
}

// --- Import ---------------------------------------------------------------------------------

void PCTController::addScheme() {
  if (!ready() || (openPanel_ && openPanel_->is_running())) return;
  openPanel_ = file_panel(*_parentWindow, *loop_, "CodeTableOpenPanel", {"pct", "PCT"}, user_defaults());
  if (!openPanel_) return;
  openPanel_->begin_sheet(*_parentWindow, [this](int return_code) { addSchemeDidEnd(return_code); });
}

void PCTController::addSchemeDidEnd(int return_code) {
  if (return_code != platform::ui::kPanelOKReturn || !openPanel_ || openPanel_->urls().empty()) return;
  const std::filesystem::path chosen = openPanel_->urls().front();
  remember_folder(*openPanel_, user_defaults());
  const std::string target = folder();
  std::error_code error;
  if (target.empty() || !platform::files::make_directories(target, 0700, error)) {
    info(panekit::format_with(pane_string("PLUG_IMPORT_FAILED"), error.message()));
    return;
  }
  const std::string file = chosen.filename().string();
  std::string missing, why;
  switch (codetable::ImportScheme(chosen.string(), target, &missing, &why)) {
    case codetable::ImportOutcome::kImported:
      loadScheme(codetable::GetLastName(file, ""));
      return;
    case codetable::ImportOutcome::kInsideFolder:
      info(pane_string("PLUG_IMPORT_INVALID_DIR"));
      return;
    case codetable::ImportOutcome::kBadName:
      info(pane_string("INPUT_SCHEME_NAME_INVALID"));
      return;
    case codetable::ImportOutcome::kNotScheme:
      info(panekit::format_with(pane_string("PLUG_IMPORT_NOT_SCHEME"), file));
      return;
    case codetable::ImportOutcome::kMissingIndex:
    case codetable::ImportOutcome::kMissingData: {
      const bool index = missing.ends_with(".idx");
      const std::string format = pane_string(index ? "PLUG_MISSING_IDX_FILE" : "PLUG_MISSING_DB_FILE");
      info(panekit::format_with(panekit::format_with(format, file), missing));
      return;
    }
    case codetable::ImportOutcome::kFailed:
      pane_log("Import '" + chosen.string() + "' failed: " + why);
      info(panekit::format_with(pane_string("PLUG_IMPORT_FAILED"), why));
      return;
  }
}

// --- Remove ---------------------------------------------------------------------------------

void PCTController::removeScheme() {
  const int row = selected_row();
  if (!ready() || row < 0 || (question_ && question_->is_running())) return;
  const std::string file = _schemes[row].file;
  question_ = std::make_unique<platform::ui::Alert>(*_parentWindow->registry(), *loop_,
                                                    _parentWindow->program(), "RemoveCodeTable");
  question_->set_message_text(pane_string("INFO_TITLE"));
  question_->set_informative_text(panekit::format_with(pane_string("PLUG_REMOVE_FILE"), _schemes[row].name));
  question_->add_button("BUTTON_NO", pane_string("BUTTON_NO"));
  question_->add_button("BUTTON_YES", pane_string("BUTTON_YES"));
  question_->set_default_button("BUTTON_NO");
  // The question names its file, not a row: the list may be read again before the answer.
  question_->begin_sheet(*_parentWindow, [this, file](int return_code) { removeSchemeDidEnd(return_code, file); });
}

void PCTController::removeSchemeDidEnd(int return_code, const std::string& file) {
  if (!question_ || return_code != question_->return_code("BUTTON_YES")) return;
  codetable::RemoveScheme(folder(), file);
  loadScheme("");
}

// --- Extra codes ----------------------------------------------------------------------------

void PCTController::addNewCode() {
  const int row = selected_row();
  if (!ready() || row < 0 || (codeSheet_ && codeSheet_->is_open())) return;
  saveCurrentScheme(row);
  if (!codeSheet_) codeSheet_ = std::make_unique<ExtraCodeSheet>(*loop_, *_parentWindow);
  codeSheet_->open(folder() + "/" + _schemes[row].name + ".ex");
}

}  // namespace codetablepane
