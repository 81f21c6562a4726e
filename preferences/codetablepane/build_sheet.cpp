#include "preferences/codetablepane/build_sheet.h"

#include <sys/stat.h>

#include <system_error>

#include "platform/files.h"
#include "platform/ui/window_registry.h"
#include "preferences/codetable/code_source.h"
#include "preferences/codetable/scheme_line.h"
#include "preferences/codetable/table_build.h"
#include "preferences/codetablepane/pane_log.h"
#include "preferences/panekit/pane_bundle.h"
#include "preferences/panekit/redisplay.h"

namespace codetablepane {

using platform::ui::Rect;

namespace {

constexpr double kWidth = 440;

bool is_regular_file(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

BuildSheet::BuildSheet(platform::RunLoop& loop, platform::ui::Window& parent, std::string folder,
                       platform::ui::UserDefaults* defaults, Built built)
    : loop_(loop),
      parent_(parent),
      folder_(std::move(folder)),
      defaults_(defaults),
      built_(std::move(built)),
      window_(parent.program(), kBuildSheetName, Rect{0, 0, kWidth, kSheetHeight}) {
  if (parent.registry() != nullptr) parent.registry()->add(window_);
  build_views();
}

BuildSheet::~BuildSheet() {
  if (observer_) observer_->request_stop();
  if (main_) main_->close();
  if (worker_.joinable()) worker_.join();
  openPanel_.reset();
  alert_.reset();
  if (window_.is_sheet()) window_.order_out();
}

void BuildSheet::build_views() {
  auto root = std::make_unique<platform::ui::View>(Rect{0, 0, kWidth, kSheetHeight});
  const double top = kSheetHeight - 40;
  const auto label = [&root](double y, const char* text) {
    root->add_subview(std::make_unique<platform::ui::TextField>(Rect{20, y, 110, 20}, text));
  };
  const auto field = [&root](Rect frame, const char* identifier) {
    auto text = std::make_unique<platform::ui::TextField>(frame);
    text->set_identifier(identifier);
    text->set_editable(true);
    return &root->add_subview(std::move(text));
  };
  const auto button = [&root](Rect frame, const char* identifier, const char* title,
                              std::function<void()> action) {
    auto made = std::make_unique<platform::ui::Button>(frame, title);
    made->set_identifier(identifier);
    made->set_action([action = std::move(action)](platform::ui::Button&) { action(); });
    return &root->add_subview(std::move(made));
  };
  label(top, "Source:");
  _srcFile = field(Rect{130, top, kWidth - 250, 20}, "srcFile");
  _browse = button(Rect{kWidth - 110, top - 4, 90, 28}, "browserFile", "Choose...", [this] { browserFile(); });
  label(top - 30, "Name:");
  _name = field(Rect{130, top - 30, kWidth - 150, 20}, "name");
  form_.add_to(*root, 20, top - 64, "new");

  auto status = std::make_unique<platform::ui::TextField>(Rect{20, 84, kWidth - 40, 20});
  status->set_identifier("buildStatus");
  _buildStatus = &root->add_subview(std::move(status));
  auto bar = std::make_unique<platform::ui::ProgressIndicator>(Rect{20, 60, kWidth - 40, 16}, loop_);
  bar->set_identifier("buildProgress");
  _buildProgress = &root->add_subview(std::move(bar));
  _cancel = button(Rect{kWidth - 220, 16, 96, 28}, "cancelBuild", "Cancel", [this] { cancelBuild(); });
  _build = button(Rect{kWidth - 116, 16, 96, 28}, "build", "Build", [this] { build(); });
  window_.set_content_view(std::move(root));
}

void BuildSheet::set_form_enabled(bool enabled) {
  _srcFile->set_enabled(enabled);
  _name->set_enabled(enabled);
  form_.set_enabled(enabled);
  _browse->set_enabled(enabled);
  _build->set_enabled(enabled);
  _cancel->set_enabled(enabled);
}

bool BuildSheet::open() {
  if (is_building() || window_.is_sheet()) return false;
  _srcFile->set_text("");
  _name->set_text("");
  form_.show(nullptr);
  form_.max_key_field()->set_text(std::to_string(codetable::kDefaultMaxKeyLength));
  _buildProgress->set_hidden(true);
  _buildStatus->set_hidden(true);
  _buildStatus->set_text("");
  set_form_enabled(true);
  window_.set_frame(Rect{0, 0, kWidth, kSheetHeight});
  return window_.begin_sheet(parent_, loop_, [](int) {});
}

void BuildSheet::alert(const std::string& key, platform::ui::View* focus) {
  run_alert(alert_, parent_, loop_, "CodeTableInfo", "INFO_TITLE", panekit::pane_string(key));
  if (focus != nullptr) window_.make_first_responder(focus);
}

bool BuildSheet::check_form() {
  const std::string& name = _name->text();
  if (name.empty()) {
    alert("INPUT_SCHEME_NAME", _name);
    return false;
  }
  // The name becomes the table's file names: nothing may lead out of the code-table folder.
  if (!codetable::IsTableName(name)) {
    alert("INPUT_SCHEME_NAME_INVALID", _name);
    return false;
  }
  if (_srcFile->text().empty() || !is_regular_file(_srcFile->text())) {
    alert("INPUT_PCT_FILE", nullptr);
    return false;
  }
  const int max_key = form_.max_key_length();
  if (form_.max_key_is_empty() || max_key < 1 || max_key > kMaxKeyLimit) {
    alert("INPUT_PCT_MAX_KEY", form_.max_key_field());
    return false;
  }
  const std::string& wildcard = form_.wildcard_text();
  if (!wildcard.empty() && !codetable::IsWildcard(wildcard)) {
    alert("INPUT_PCT_WILDCARD", form_.wildcard_field());
    return false;
  }
  if (!codetable::IsUtf8File(_srcFile->text())) {
    alert("INPUT_PCT_FILE_ERROR", nullptr);
    return false;
  }
  return true;
}

void BuildSheet::build() {
  if (is_building() || !window_.is_sheet() || !check_form()) return;
  std::error_code error;
  if (folder_.empty() || !platform::files::make_directories(folder_, 0700, error)) {
    pane_log("Create '" + folder_ + "' failed: " + error.message());
    _buildStatus->set_hidden(false);
    _buildStatus->set_text(panekit::pane_string("PLUG_CREATE_SCHEME_FAILED"));
    return;
  }
  window_.set_frame(Rect{0, 0, kWidth, kBuildingSheetHeight});
  _buildStatus->set_hidden(false);
  _buildStatus->set_text("");
  _buildProgress->set_hidden(false);
  _buildProgress->set_indeterminate(true);
  _buildProgress->start_animation();
  set_form_enabled(false);
  panekit::redisplay_window_of(window_.content_view());

  codetable::SchemeLine scheme;
  scheme = form_.read(scheme);
  const std::string name = _name->text();
  const std::string source = _srcFile->text();
  main_ = std::make_shared<panekit::MainThread>(loop_);
  observer_ = std::make_unique<SheetObserver>(main_, _buildProgress, _buildStatus);
  worker_ = std::thread([this, source, name, scheme, main = main_, observer = observer_.get()] {
    std::string failure;
    const int result = codetable::BuildSQLPlug(source, name, folder_, observer, &failure);
    main->post([this, result, failure, scheme, name] { buildDone(result, failure, scheme, name); });
  });
}

void BuildSheet::buildDone(int result, const std::string& error, const codetable::SchemeLine& scheme,
                           const std::string& name) {
  if (worker_.joinable()) worker_.join();
  if (result != 0) {
    _buildStatus->set_text(error);
    _cancel->set_enabled(true);
    panekit::redisplay_window_of(window_.content_view());
    return;
  }
  std::string why;
  if (!codetable::WriteSchemeFile(folder_ + "/" + name + ".pct", scheme, &why)) {
    pane_log("Write the scheme of '" + name + "' failed: " + why);
    _buildStatus->set_text(panekit::pane_string("PLUG_CREATE_SCHEME_FAILED"));
    _cancel->set_enabled(true);
    panekit::redisplay_window_of(window_.content_view());
    return;
  }
  if (window_.is_sheet()) window_.end_sheet(0);
  if (built_) built_(name);
  // The sheet is gone with its status line: what the build left out is told on its own.
  if (observer_ && !observer_->left_out().empty()) {
    run_alert(alert_, parent_, loop_, "CodeTableInfo", "INFO_TITLE", observer_->left_out());
  }
}

void BuildSheet::cancelBuild() {
  if (is_building()) return;
  if (window_.is_sheet()) window_.end_sheet(1);
}

void BuildSheet::browserFile() {
  if (is_building() || (openPanel_ && openPanel_->is_running())) return;
  openPanel_ = file_panel(parent_, loop_, "CodeTableSourcePanel", {"txt", "TXT"}, defaults_);
  if (!openPanel_) return;
  openPanel_->begin_sheet(window_, [this](int return_code) { browserFileDidEnd(return_code); });
}

void BuildSheet::browserFileDidEnd(int return_code) {
  if (return_code != platform::ui::kPanelOKReturn || !openPanel_ || openPanel_->urls().empty()) return;
  _srcFile->set_text(openPanel_->urls().front().string());
  remember_folder(*openPanel_, defaults_);
  panekit::redisplay_window_of(window_.content_view());
}

}  // namespace codetablepane
