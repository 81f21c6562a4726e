#include "preferences/dictionary/dictionary_controller.h"

#include <sys/stat.h>

#include <cstdlib>
#include <system_error>

#include "celldict/update/update_log.h"
#include "platform/files.h"
#include "platform/gfx/image.h"
#include "platform/ui/window_registry.h"
#include "preferences/dictionary/dict_copy.h"
#include "preferences/dictionary/pane_bundle.h"
#include "preferences/panekit/pane_view.h"

namespace dictpane {

namespace fs = std::filesystem;
using platform::plist::Dictionary;
using platform::plist::Value;
using platform::ui::Rect;

namespace {

constexpr double kWidth = 560;
constexpr double kHeight = 380;

bool exists_unfollowed(const fs::path& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0;
}

std::optional<platform::ui::CellImage> pane_image(std::string_view name) {
  std::optional<fs::path> file = pane_resource(name);
  if (!file) return std::nullopt;
  std::string ignored;
  return platform::ui::load_cell_image(*file, &ignored);
}

}  // namespace

DictionaryController::DictionaryController() : FixedPane("DICT_PANE_NAME", "Dictionary.png") {
  loop_ = panekit::host_run_loop();
}

DictionaryController::~DictionaryController() {
  stop_work();
  auto& center = platform::notify::NotificationCenter::local();
  if (panelEndObserver_ != 0) center.remove_observer(panelEndObserver_);
  if (sheetEndObserver_ != 0) center.remove_observer(sheetEndObserver_);
  if (_view == nullptr) return;
  _view->release();
}

void DictionaryController::stop_work() {
  // Each waits for its worker, which removes whatever it had half built.
  importSheet_.reset();
  updateRun_.reset();
  question_.reset();
  openPanel_.reset();
}

void DictionaryController::viewDidGo() {
  stop_work();
  _view = nullptr;
  _dictList = nullptr;
  _checkForUpdates = nullptr;
  _hideUpdateWindow = nullptr;
  _updateNow = nullptr;
  _updateStatus = nullptr;
  _loaded = false;
}

platform::ui::View* DictionaryController::paneView() {
  if (_view == nullptr) build_view();
  return _view;
}

void DictionaryController::setParentWindow(platform::ui::Window* window) {
  if (window == _parentWindow) return;
  auto& center = platform::notify::NotificationCenter::local();
  if (sheetEndObserver_ != 0) center.remove_observer(sheetEndObserver_);
  sheetEndObserver_ = 0;
  _parentWindow = window;
  if (window == nullptr) return;
  // What a sheet on the window did (an import, an update run) shows in the list afterwards.
  sheetEndObserver_ = center.add_observer(
      std::string(platform::ui::kWindowDidEndSheetNotification), window->name(),
      [this](const platform::notify::Notification& notification) { sheetDidEnd(notification); });
}

bool DictionaryController::ready() const {
  return _view != nullptr && _parentWindow != nullptr && _parentWindow->registry() != nullptr &&
         loop_ != nullptr;
}

void DictionaryController::build_view() {
  auto view = std::make_unique<DictionaryView>(Rect{0, 0, kWidth, kHeight}, this);
  view->set_identifier("dictionaryPane");

  auto table = std::make_unique<platform::ui::TableView>(Rect{20, 130, kWidth - 40, 230});
  table->set_identifier("dictList");
  table->add_column({"TYPE", "", 28, platform::ui::TableCellKind::Image});
  table->add_column({"NAME", "Name", 180});
  table->add_column({"AUTHOR", "Author", 140});
  table->add_column({"DATE", "Date", 90});
  table->add_column({"COUNT", "Words", 82});
  table->set_data_source(this);
  _dictList = &view->add_subview(std::move(table));

  const auto button = [&view](Rect frame, const char* identifier, const char* title,
                              std::function<void()> action) {
    auto made = std::make_unique<platform::ui::Button>(frame, title);
    made->set_identifier(identifier);
    made->set_bezel_style(platform::ui::kSmallSquareBezelStyle);
    made->set_action([action = std::move(action)](platform::ui::Button&) { action(); });
    return &view->add_subview(std::move(made));
  };
  button(Rect{20, 100, 28, 24}, "addDictionary", "+", [this] { addDictionary(); });
  button(Rect{48, 100, 28, 24}, "removeDictionary", "-", [this] { removeDictionary(); });

  auto check = std::make_unique<platform::ui::CheckBox>(
      Rect{20, 64, 320, 22}, "Check for dictionary updates automatically");
  check->set_identifier("checkForUpdates");
  _checkForUpdates = &view->add_subview(std::move(check));
  auto hide = std::make_unique<platform::ui::CheckBox>(Rect{20, 38, 320, 22},
                                                       "Hide the update window");
  hide->set_identifier("hideUpdateWindow");
  _hideUpdateWindow = &view->add_subview(std::move(hide));
  _updateNow = button(Rect{kWidth - 140, 60, 120, 28}, "updateNow", "Update Now",
                      [this] { updateNow(); });
  _updateNow->set_bezel_style(platform::ui::kRoundedBezelStyle);
  auto status = std::make_unique<platform::ui::TextField>(Rect{20, 10, kWidth - 40, 20});
  status->set_identifier("updateStatus");
  _updateStatus = &view->add_subview(std::move(status));

  _view = view.release();
  load();
  reload_table();
}

void DictionaryController::load() { _dictArray = scan_dictionaries(dictionary_folder()); }

void DictionaryController::reload_table() {
  if (_dictList == nullptr) return;
  _dictList->reload_data();
  redisplay_window_of(_dictList);
}

int DictionaryController::number_of_rows(const platform::ui::TableView& table) {
  if (&table == _dictList) return static_cast<int>(_dictArray.size());
  return 0;
}

std::optional<std::string> DictionaryController::object_value(const platform::ui::TableView& table,
                                                              std::string_view column, int row) {
  if (&table != _dictList || row < 0 || row >= static_cast<int>(_dictArray.size())) {
    return std::nullopt;
  }
  if (column == "TYPE") return std::string();
  return cell_text(_dictArray[row], column, [](std::string_view key) { return pane_string(key); });
}

std::optional<platform::ui::CellImage> DictionaryController::image_value(
    const platform::ui::TableView& table, std::string_view column, int row) {
  if (&table != _dictList || column != "TYPE" || row < 0 ||
      row >= static_cast<int>(_dictArray.size())) {
    return std::nullopt;
  }
  std::optional<platform::ui::CellImage>& image = _dictArray[row].daruz ? daruzImage_ : kepImage_;
  if (!image) image = pane_image(_dictArray[row].daruz ? "DaruzDict.png" : "KEPDict.png");
  return image;
}

// --- Settings -------------------------------------------------------------------------------

void DictionaryController::loadPrefs(Dictionary& prefs) {
  if (_loaded) return;
  if (paneView() == nullptr) return;
  _loaded = true;
  load();
  reload_table();
  _checkForUpdates->set_on(panekit::is_set(prefs, kAutoUpdateKey));
  _hideUpdateWindow->set_on(panekit::is_set(prefs, kHideUpdateWindowKey));
}

void DictionaryController::savePrefs(Dictionary& prefs) {
  if (!_loaded || _view == nullptr) return;
  const bool update = _checkForUpdates->is_on();
  prefs.set(kAutoUpdateKey, Value(update));
  prefs.set(kHideUpdateWindowKey, Value(_hideUpdateWindow->is_on()));
  prefs.set(kAutoUpdatesKey, Value(update ? 1 : 0));
}

void DictionaryController::reloadPrefs(Dictionary& prefs) {
  if (!_loaded) return;
  _loaded = false;
  loadPrefs(prefs);
}

platform::ui::UserDefaults* DictionaryController::user_defaults() {
  if (kep_preferences_user_defaults != nullptr) {
    if (platform::ui::UserDefaults* shared = kep_preferences_user_defaults()) return shared;
  }
  if (!ownDefaults_) {
    const auto& host = host_bundle();
    if (!host) return nullptr;
    std::error_code error;
    ownDefaults_ = platform::ui::UserDefaults::open(host->identifier(), error);
  }
  return ownDefaults_ ? &*ownDefaults_ : nullptr;
}

// --- Add ------------------------------------------------------------------------------------

void DictionaryController::addDictionary() {
  if (!ready() || (openPanel_ && openPanel_->is_running())) return;
  openPanel_ = std::make_unique<platform::ui::OpenPanel>(
      *_parentWindow->registry(), *loop_, _parentWindow->program(), "DictionaryOpenPanel");
  openPanel_->set_can_choose_files(true);
  openPanel_->set_can_choose_directories(true);
  openPanel_->set_allows_multiple_selection(false);
  openPanel_->set_allowed_file_types({"dict", "scel"});
  std::optional<std::string> last;
  if (platform::ui::UserDefaults* defaults = user_defaults()) last = defaults->string(kLastImportDirKey);
  const char* home = std::getenv("HOME");
  if (last && !last->empty()) {
    openPanel_->set_directory(*last);
  } else if (home != nullptr && home[0] == '/') {
    openPanel_->set_directory(home);
  }
  auto& center = platform::notify::NotificationCenter::local();
  if (panelEndObserver_ != 0) center.remove_observer(panelEndObserver_);
  panelEndObserver_ = center.add_observer(
      std::string(platform::ui::kWindowDidEndSheetNotification), std::nullopt,
      [this](const platform::notify::Notification&) { importFileSelected(); });
  std::weak_ptr<bool> alive = alive_;
  if (!openPanel_->begin_sheet(*_parentWindow, [this, alive](int return_code) {
        if (!alive.expired()) addDictionaryDidEnd(return_code);
      })) {
    center.remove_observer(panelEndObserver_);
    panelEndObserver_ = 0;
  }
}

void DictionaryController::addDictionaryDidEnd(int return_code) {
  _importFilename.reset();
  _importDirectory.reset();
  if (return_code == platform::ui::kPanelCancelReturn || !openPanel_ || openPanel_->urls().empty()) {
    return;
  }
  _importFilename = openPanel_->urls().front();
  _importDirectory = openPanel_->directory();
}

void DictionaryController::importFileSelected() {
  platform::notify::NotificationCenter::local().remove_observer(panelEndObserver_);
  panelEndObserver_ = 0;
  if (!_importFilename || !_importDirectory) return;
  const fs::path chosen = *_importFilename;
  _importFilename.reset();
  if (platform::ui::UserDefaults* defaults = user_defaults()) {
    defaults->set(kLastImportDirKey, Value(_importDirectory->string()));
    std::error_code error;
    if (!defaults->synchronize(error)) {
      celldict::update::updlog("The import folder is not remembered: %s", error.message().c_str());
    }
  }
  const std::string name = chosen.filename().string();
  if (name.ends_with("scel")) {
    importDaruzDictionary(chosen);
  } else if (name.ends_with("dict")) {
    std::string why;
    if (add_dict_folder(chosen, dictionary_folder(), &why) != AddOutcome::Added) {
      celldict::update::updlog("Add '%s' failed: %s", chosen.c_str(), why.c_str());
    }
    load();
    reload_table();
  }
}

// --- Delete ---------------------------------------------------------------------------------

void DictionaryController::removeDictionary() {
  if (!ready() || _dictList == nullptr) return;
  const int row = _dictList->selected_row();
  if (row < 0 || row >= static_cast<int>(_dictArray.size())) return;
  const fs::path path = _dictArray[row].path;
  if (path.empty() || (question_ && question_->is_running())) return;
  question_ = std::make_unique<platform::ui::Alert>(*_parentWindow->registry(), *loop_,
                                                    _parentWindow->program(), "DeleteDictionary");
  question_->set_message_text(pane_string("QUESTION_TITLE"));
  question_->set_informative_text(format_with(pane_string("DELETE_DICT"), path.string()));
  question_->add_button("BUTTON_NO", pane_string("BUTTON_NO"));
  question_->add_button("BUTTON_YES", pane_string("BUTTON_YES"));
  question_->set_default_button("BUTTON_NO");
  // The question names its folder, not a row: the list may be rescanned before the answer.
  std::weak_ptr<bool> alive = alive_;
  question_->begin_sheet(*_parentWindow, [this, alive, path](int return_code) {
    if (!alive.expired()) removeDictionaryDidEnd(return_code, path);
  });
}

void DictionaryController::removeDictionaryDidEnd(int return_code, const fs::path& path) {
  if (!question_ || return_code != question_->return_code("BUTTON_YES")) return;
  if (!exists_unfollowed(path)) return;
  std::error_code error;
  if (!platform::files::remove_tree(path, error)) {
    celldict::update::updlog("Delete '%s' failed: %s", path.c_str(), error.message().c_str());
  }
  if (exists_unfollowed(path)) return;
  std::erase_if(_dictArray, [&path](const DictEntry& entry) { return entry.path == path; });
  reload_table();
  post_dictionaries_changed();
}

void DictionaryController::post_dictionaries_changed() {
  std::error_code error;
  if (!platform::notify::post_distributed({kDictUpdatedNotification, kDictUpdatedObject}, error)) {
    celldict::update::updlog("Post %s failed: %s", kDictUpdatedNotification,
                             error.message().c_str());
  }
}

// --- Import -----------------------------------------------------------------------------------

void DictionaryController::importDaruzDictionary(const fs::path& file) {
  if (!ready()) return;
  if (importSheet_ && (importSheet_->is_importing() || importSheet_->is_open())) return;
  importSheet_.reset();
  importSheet_ = std::make_unique<ImportSheet>(
      *loop_, *_parentWindow, dictionary_folder(),
      [this](const celldict::update::ImportResult& result) { importFinished(result); });
  importSheet_->open(file);
}

void DictionaryController::importFinished(const celldict::update::ImportResult& result) {
  load();
  reload_table();
  if (result.imported()) post_dictionaries_changed();
}

void DictionaryController::sheetDidEnd(const platform::notify::Notification&) {
  if (_view == nullptr) return;
  celldict::update::updlog("Reload the dictionary list...");
  load();
  reload_table();
}

// --- Update now -------------------------------------------------------------------------------

void DictionaryController::updateNow() {
  if (!ready() || (updateRun_ && updateRun_->is_running())) return;
  updateRun_.reset();
  updateRun_ = std::make_unique<UpdateRun>(*loop_, *_parentWindow, dictionary_folder(),
                                           service_base_address(user_defaults()), _updateNow,
                                           _updateStatus, _dictArray);
  updateRun_->start([this] { post_dictionaries_changed(); });
}

}  // namespace dictpane
