#include "preferences/host/prefs_controller.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <system_error>

#include "platform/files.h"
#include "platform/ui/alert.h"
#include "platform/ui/localized_strings.h"
#include "platform/ui/plugin.h"
#include "platform/ui/view.h"

namespace preferences {

namespace fs = std::filesystem;
using platform::plist::Dictionary;
using platform::plist::Value;
using platform::ui::Rect;

namespace {

constexpr double kContentWidth = 350;
constexpr double kContentHeight = 200;

std::string format1(std::string_view pattern, std::string_view value) {
  std::string text(pattern);
  std::size_t at = text.find("%@");
  if (at != std::string::npos) text.replace(at, 2, value);
  return text;
}

}  // namespace

SS_PrefsController::SS_PrefsController(platform::ui::WindowRegistry& registry,
                                       platform::RunLoop& loop, platform::Bundle main_bundle,
                                       MessageLog log)
    : registry_(registry), loop_(loop), bundle_(std::move(main_bundle)), log_(std::move(log)) {
  std::error_code error;
  defaults_ = platform::ui::UserDefaults::open(bundle_.identifier(), error);
  if (!defaults_) log_("Cannot open the user defaults: " + error.message());
}

SS_PrefsController::~SS_PrefsController() {
  // A shown pane's view is owned by the window's tree as well as by its pane: the window frees
  // it, and the panes, like their libraries, stay for the life of the process.
  window_.reset();
  static std::vector<PreferencePane*>* kept = new std::vector<PreferencePane*>;
  for (auto& pane : panes_) kept->push_back(pane.release());
}

void SS_PrefsController::debugLog(const std::string& message) const {
  if (debug_) log_(format1("[--- PREFERENCES DEBUG MESSAGE ---]\r%@\r\r", message));
}

std::string SS_PrefsController::localized(std::string_view key, std::string_view text) const {
  return platform::ui::localized_string(bundle_, key, text);
}

std::string SS_PrefsController::toolbarIdentifier() const {
  return bundle_.identifier() + "_Preferences_Toolbar_Identifier";
}

std::string SS_PrefsController::lastPaneDefaultsKey() const {
  return bundle_.identifier() + "_Preferences_Last_Pane_Defaults_Key";
}

bool SS_PrefsController::loadPreferencePanes() {
  const platform::ui::ClassProtocol protocol{kPaneProtocolName, kPaneAbiVersion,
                                             {kPreferencePanesEntry}};
  std::error_code error;
  auto folder =
      platform::ui::load_plugin_folder(searchPath_, bundleExtension_, protocol, error, *classes_);
  if (!folder) {
    log_("Pane bundles are not loaded from " + searchPath_.string() + ": " + error.message());
    return false;
  }
  for (const auto& failure : folder->failures) {
    const std::string path = failure.bundle_path.string();
    switch (failure.refusal) {
      case platform::ui::PluginRefusal::cannot_open:
        debugLog(format1("Could not initialize bundle: %@", path));
        break;
      case platform::ui::PluginRefusal::no_principal_class:
        debugLog(format1("Could not obtain name of Principal Class for bundle: %@", path));
        break;
      case platform::ui::PluginRefusal::class_name_used:
        debugLog(format1("Did not load bundle: %@ because its Principal Class was already used "
                         "in another Preference pane.",
                         path));
        break;
      default:
        debugLog(format1("Did not load bundle: %@ because its Principal Class is either not an "
                         "NSObject subclass, or does not conform to the PreferencePane Protocol.",
                         path));
        break;
    }
  }
  for (const auto& loaded : folder->loaded) {
    auto factory = loaded.entry<PreferencePanesFactory>(kPreferencePanesEntry);
    if (factory == nullptr) continue;
    for (auto& pane : factory()) {
      if (!pane) continue;
      std::string name = pane->paneName();
      // A pane without a name of its own would collide with the next one.
      if (name.empty()) name = loaded.class_name;
      if (preferencePanes_.count(name) != 0) {
        debugLog(format1("Did not load bundle: %@ because its Principal Class was already used "
                         "in another Preference pane.",
                         loaded.bundle_path.string()));
        continue;
      }
      preferencePanes_[name] = pane.get();
      panes_.push_back(std::move(pane));
    }
  }
  return !preferencePanes_.empty();
}

std::vector<std::string> SS_PrefsController::toolbarItemIdentifiers() const {
  if (toolbarItems_) return *toolbarItems_;
  std::vector<std::string> items;
  if (panesOrder_.empty()) {
    for (const auto& [name, pane] : preferencePanes_) items.push_back(name);
  }
  for (const auto& name : panesOrder_) {
    if (preferencePanes_.count(name) != 0) {
      items.push_back(name);
    } else {
      debugLog(format1("Did not add preference pane \"%@\" to the toolbar ordering array, "
                       "because that pane does not exist.",
                       name));
    }
  }
  toolbarItems_ = items;
  return items;
}

void SS_PrefsController::createPreferencesWindow() {
  window_ = std::make_unique<platform::ui::Window>(
      kProgramName, kPreferencesWindowName, Rect{0, 0, kContentWidth, kContentHeight},
      platform::ui::kTitledWindowMask | platform::ui::kClosableWindowMask |
          platform::ui::kResizableWindowMask);
  window_->set_title(localized("Preferences", "Preferences"));
  auto toolbar = std::make_unique<platform::ui::Toolbar>(toolbarIdentifier());
  toolbar->set_display_mode(platform::ui::ToolbarDisplayMode::IconAndLabel);
  toolbar->set_size_mode(platform::ui::ToolbarSizeMode::Default);
  for (const auto& name : toolbarItemIdentifiers()) {
    PreferencePane* pane = preferencePanes_.at(name);
    platform::ui::ToolbarItem* item = toolbar->add_item(name, name);
    if (item == nullptr) continue;
    item->set_palette_label(name);
    if (auto tip = pane->paneToolTip(); tip && !tip->empty()) item->set_tool_tip(*tip);
    item->set_image(pane->paneIcon());
    item->set_selectable(true);
    item->set_action([this](platform::ui::ToolbarItem& sender) { prefsToolbarItemClicked(sender); });
  }
  toolbar->set_visible(alwaysShowsToolbar_ || preferencePanes_.size() > 1);
  window_->set_toolbar(std::move(toolbar));
  const double toolbar_height = window_->toolbar()->height();
  window_->set_frame({0, 0, kContentWidth, kContentHeight + toolbar_height});
  if (alwaysOpensCentered_) window_->center();
  Rect frame = window_->frame();
  window_->set_frame_origin({frame.x - 300, frame.y + 100});
  window_->set_content_view(std::make_unique<platform::ui::View>());
  window_->set_delegate(delegate_);
  registry_.add(*window_);
}

bool SS_PrefsController::createPreferencesWindowAndDisplay() {
  if (!panesLoaded_) {
    panesLoaded_ = true;
    if (!loadPreferencePanes()) {
      debugLog(format1(format1("Could not load any valid preference panes. The preference pane "
                               "bundle extension was \"%@\" and the search path was: %@",
                               bundleExtension_),
                       searchPath_.string()));
      std::string bundle_name = bundle_.identifier();
      if (const Value* name = bundle_.info().find("CFBundleName"); name && name->as_string()) {
        bundle_name = *name->as_string();
      }
      platform::ui::Alert alert(registry_, loop_, kProgramName);
      alert.set_message_text(localized("Preferences", "Preferences"));
      alert.set_informative_text(
          format1(localized("Preferences are not available for %@.",
                            "Preferences are not available for %@."),
                  bundle_name));
      alert.add_button("OK", localized("OK", "OK"));
      alert.run_modal();
      alert.display_reporting_errors();
      return false;
    }
  }
  if (!window_) {
    createPreferencesWindow();
    std::string first = toolbarItemIdentifiers().empty() ? std::string()
                                                         : toolbarItemIdentifiers().front();
    if (defaults_) {
      Dictionary registered;
      registered.set(lastPaneDefaultsKey(), Value(first));
      defaults_->register_defaults(registered);
    }
    std::string last = defaults_ ? defaults_->string(lastPaneDefaultsKey()).value_or(first) : first;
    if (!loadPrefsPaneNamed(last, false)) {
      debugLog(format1("Could not load last-used preference pane \"%@\". Trying to load another "
                       "pane instead.",
                       last));
      for (const auto& name : toolbarItemIdentifiers()) {
        if (name != last && loadPrefsPaneNamed(name, false)) break;
      }
    }
  }
  window_->make_key_and_order_front();
  window_->display_reporting_errors();
  return true;
}

bool SS_PrefsController::loadPrefsPaneNamed(const std::string& name, bool display) {
  if (!window_) createPreferencesWindow();
  auto found = preferencePanes_.find(name);
  if (found == preferencePanes_.end()) {
    debugLog(format1("Could not load preference pane \"%@\", because that pane does not exist.",
                     name));
    return false;
  }
  PreferencePane* pane = found->second;
  pane->setParentWindow(window_.get());
  platform::ui::View* view = pane->paneView();
  if (view == nullptr) {
    debugLog(format1("Could not load \"%@\" preference pane because its view could not be "
                     "loaded from the bundle.",
                     name));
    return false;
  }
  // A view enters the window's tree once and stays there, hidden while another pane shows.
  platform::ui::View* holder = window_->content_view();
  bool held = false;
  for (const auto& subview : holder->subviews()) {
    if (subview.get() == view) held = true;
    subview->set_hidden(subview.get() != view);
  }
  if (!held) holder->add_subview(std::unique_ptr<platform::ui::View>(view));
  view->set_frame_origin({0, 0});
  const Rect old_frame = window_->frame();
  const double toolbar_height = window_->toolbar() ? window_->toolbar()->height() : 0;
  const Rect view_frame = view->frame();
  Rect frame{old_frame.x, 0, view_frame.width, view_frame.height + toolbar_height};
  frame.y = old_frame.y + old_frame.height - frame.height;
  window_->set_min_size({0, 0});
  window_->set_max_size({std::numeric_limits<double>::max(), std::numeric_limits<double>::max()});
  window_->set_frame(frame);
  if (prefs_) pane->loadPrefs(*prefs_);
  const double max = std::numeric_limits<double>::max();
  window_->set_min_size({pane->allowsHorizontalResizing() ? 0 : frame.width,
                         pane->allowsVerticalResizing() ? 0 : frame.height});
  window_->set_max_size({pane->allowsHorizontalResizing() ? max : frame.width,
                         pane->allowsVerticalResizing() ? max : frame.height});
  window_->set_title(name);
  currentPane_ = name;
  if (defaults_) {
    defaults_->set(lastPaneDefaultsKey(), Value(name));
    std::error_code error;
    if (!defaults_->synchronize(error)) log_("The last pane is not remembered: " + error.message());
  }
  if (window_->toolbar()) window_->toolbar()->set_selected_item_identifier(name);
  if (display) window_->display_reporting_errors();
  return true;
}

void SS_PrefsController::prefsToolbarItemClicked(platform::ui::ToolbarItem& item) {
  if (item.identifier() == window_->title()) return;
  if (!loadPrefsPaneNamed(item.identifier(), false) && window_->toolbar()) {
    window_->toolbar()->set_selected_item_identifier(currentPane_);
  }
}

void SS_PrefsController::savePrefs(Dictionary& prefs) {
  for (auto& pane : panes_) pane->savePrefs(prefs);
}

void SS_PrefsController::reloadPrefs(Dictionary& prefs) {
  for (auto& pane : panes_) pane->reloadPrefs(prefs);
}

IMKPreferencesController::IMKPreferencesController(platform::ui::WindowRegistry& registry,
                                                   platform::RunLoop& loop,
                                                   platform::Bundle main_bundle, Paths paths,
                                                   MessageLog log, std::function<void()> quit)
    : registry_(registry),
      loop_(loop),
      bundle_(main_bundle),
      paths_(std::move(paths)),
      log_(log),
      quit_(std::move(quit)),
      prefs_controller_(registry, loop, std::move(main_bundle), log) {}

std::string IMKPreferencesController::localized(std::string_view key,
                                                std::string_view text) const {
  return platform::ui::localized_string(bundle_, key, text);
}

bool IMKPreferencesController::awakeFromNib(bool debug) {
  const fs::path file = settingsFile();
  std::error_code error;
  std::optional<Value> read;
  if (fs::exists(file, error)) {
    read = platform::plist::read_file(file, error);
    if (!read || !read->as_dictionary()) {
      settings_unreadable_ = true;
      log_("The settings file " + file.string() +
           " cannot be read; it is left as it is and no setting will be saved." +
           (error ? " (" + error.message() + ")" : std::string()));
      read.reset();
    }
  }
  if (!read) {
    if (auto shipped = bundle_.resource("imkkep.plist")) read = platform::plist::read_file(*shipped, error);
  }
  if (read && read->as_dictionary()) settings_ = *read->as_dictionary();
  read_settings_ = settings_;

  SS_PrefsController& prefs = prefs_controller_;
  prefs.setDebug(debug);
  prefs.setSearchPath(bundle_.shared_support_path());
  prefs.setPanesOrder({
      localized("GENERAL_PANE_NAME", "General"), localized("CANDIDATE_PANE_NAME", "Candidate"),
      localized("FUZZY_PANE_NAME", "Fuzzy"), localized("DPY_PANE_NAME", "DoublePinyin"),
      localized("DICT_PANE_NAME", "Dictionary"), localized("SKIN_PANE_NAME", "Skin"),
      localized("HOTKEY_PANE_NAME", "Hotkey"), localized("PCT_PANE_NAME", "CodeTable"),
      localized("ADVANCED_PANE_NAME", "Advanced")});
  prefs.setAlwaysShowsToolbar(true);
  prefs.setSharedPrefs(&settings_);
  prefs.setDelegate(this);
  if (!prefs.createPreferencesWindowAndDisplay()) return false;
  fs::create_directories(paths_.settingsFolder / "PlugCodeTable", error);
  return true;
}

void IMKPreferencesController::reportFailure(const std::string& message) {
  log_(message);
  platform::ui::Alert alert(registry_, loop_, kProgramName);
  alert.set_message_text(localized("Preferences", "Preferences"));
  alert.set_informative_text(message);
  alert.add_button("OK", localized("OK", "OK"));
  alert.run_modal();
  alert.display_reporting_errors();
}

void IMKPreferencesController::window_will_close(platform::ui::Window&) {
  prefs_controller_.savePrefs(settings_);
  // A file the user already has is written only when a pane changed something; a user without
  // one gets what the shown panes hold.
  std::error_code error;
  if (settings_unreadable_) {
    if (!(settings_ == read_settings_)) {
      log_("Settings are not saved: " + settingsFile().string() + " could not be read.");
    }
  } else if (!(settings_ == read_settings_) ||
             (!prefs_controller_.currentPaneName().empty() && !fs::exists(settingsFile(), error))) {
    fs::create_directories(paths_.settingsFolder, error);
    if (!platform::plist::save_atomic(settingsFile(), Value(settings_), error)) {
      reportFailure("Could not save the settings to " + settingsFile().string() + ": " +
                    error.message());
    } else {
      read_settings_ = settings_;
    }
  }
  if (quit_) loop_.perform(quit_);
}

void IMKPreferencesController::restoreToDefault() {
  auto alert = std::make_unique<platform::ui::Alert>(registry_, loop_, kProgramName);
  alert->set_message_text(localized("QUESTION_TITLE", "Question"));
  alert->set_informative_text(localized("RESTORE_DEFAULT", "Restore the default settings?"));
  alert->add_button("BUTTON_YES", localized("BUTTON_YES", "Yes"));
  alert->add_button("BUTTON_NO", localized("BUTTON_NO", "No"));
  alert->set_default_button("BUTTON_YES");
  auto* sheet = alert.get();
  alert_ = std::move(alert);
  auto on_end = [this, sheet](int code) {
    if (code == sheet->return_code("BUTTON_YES")) restore();
  };
  if (platform::ui::Window* window = prefs_controller_.window()) {
    sheet->begin_sheet(*window, on_end);
  } else {
    sheet->begin(on_end);
  }
  sheet->display_reporting_errors();
}

void IMKPreferencesController::restore() {
  if (!paths_.shippedSettings) {
    reportFailure("Get IMKKEP bundle failed!");
    return;
  }
  log_(format1(format1("Restore resource %@ to %@", paths_.shippedSettings->string()),
               settingsFile().string()));
  std::error_code error;
  auto bytes = platform::files::read_file(*paths_.shippedSettings, error);
  auto value = bytes ? platform::plist::parse(*bytes) : std::nullopt;
  if (!value || !value->as_dictionary()) {
    reportFailure("Could not read " + paths_.shippedSettings->string());
    return;
  }
  fs::create_directories(paths_.settingsFolder, error);
  // Replaced in one step: the user's file is never missing, even for a moment.
  if (!platform::files::write_atomic(settingsFile(), *bytes, error)) {
    reportFailure("Could not save the settings to " + settingsFile().string() + ": " +
                  error.message());
    return;
  }
  log_("Reload the configuration...");
  settings_ = *value->as_dictionary();
  read_settings_ = settings_;
  settings_unreadable_ = false;
  prefs_controller_.reloadPrefs(settings_);
  if (auto* window = prefs_controller_.window()) window->display_reporting_errors();
}

}  // namespace preferences
