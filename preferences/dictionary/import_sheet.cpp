#include "preferences/dictionary/import_sheet.h"

#include <string>
#include <system_error>

#include "celldict/update/uid_scan.h"
#include "celldict/update/update_log.h"
#include "platform/files.h"
#include "platform/ui/window_registry.h"
#include "preferences/dictionary/pane_bundle.h"

namespace dictpane {

namespace fs = std::filesystem;
using celldict::update::ImportOptions;
using celldict::update::ImportResult;
using platform::ui::Rect;

namespace {

constexpr double kWidth = 440;
constexpr double kHeight = 220;

}  // namespace

ImportSheet::ImportSheet(platform::RunLoop& loop, platform::ui::Window& parent,
                         fs::path dictionaries, Finished finished)
    : loop_(loop),
      parent_(parent),
      dictionaries_(std::move(dictionaries)),
      finished_(std::move(finished)),
      window_(parent.program(), kImportSheetName, Rect{0, 0, kWidth, kHeight}) {
  if (parent.registry() != nullptr) parent.registry()->add(window_);
  build_views();
}

ImportSheet::~ImportSheet() {
  abandon();
  if (window_.is_sheet()) window_.order_out();
}

void ImportSheet::build_views() {
  auto root = std::make_unique<platform::ui::View>(Rect{0, 0, kWidth, kHeight});
  const auto label = [&root](double y, const char* text) {
    root->add_subview(std::make_unique<platform::ui::TextField>(Rect{20, y, 90, 20}, text));
  };
  const auto field = [&root](double y, const char* identifier) {
    auto text = std::make_unique<platform::ui::TextField>(Rect{115, y, kWidth - 135, 20});
    text->set_identifier(identifier);
    return &root->add_subview(std::move(text));
  };
  label(kHeight - 40, "Name:");
  _dictName = field(kHeight - 40, "dictName");
  label(kHeight - 66, "Remark:");
  _dictDesc = field(kHeight - 66, "dictDesc");
  label(kHeight - 92, "Words:");
  _dictCount = field(kHeight - 92, "dictCount");
  _importStatus = field(86, "importStatus");
  _importStatus->set_frame(Rect{20, 86, kWidth - 40, 20});

  auto bar = std::make_unique<platform::ui::ProgressIndicator>(Rect{20, 62, kWidth - 40, 16}, loop_);
  bar->set_identifier("importProgress");
  _importProgress = &root->add_subview(std::move(bar));

  auto cancel = std::make_unique<platform::ui::Button>(Rect{kWidth - 220, 16, 96, 28}, "Cancel");
  cancel->set_identifier("cancelDaruz");
  cancel->set_action([this](platform::ui::Button&) { cancelDaruz(); });
  root->add_subview(std::move(cancel));
  auto import = std::make_unique<platform::ui::Button>(Rect{kWidth - 116, 16, 96, 28}, "Import");
  import->set_identifier("importDaruz");
  import->set_action([this](platform::ui::Button&) { importDaruz(); });
  _importButton = &root->add_subview(std::move(import));
  window_.set_content_view(std::move(root));
}

void ImportSheet::show_error(const std::string& message) {
  if (parent_.registry() == nullptr) return;
  alert_.reset();  // one alert of this name at a time
  alert_ = std::make_unique<platform::ui::Alert>(*parent_.registry(), loop_, parent_.program(),
                                                 "DictionaryError");
  alert_->set_message_text(pane_string("ERROR_TITLE"));
  alert_->set_informative_text(message);
  alert_->add_button("BUTTON_OK", pane_string("BUTTON_OK"));
  alert_->run_modal();
}

void ImportSheet::redisplay() { redisplay_window_of(window_.content_view()); }

bool ImportSheet::open(const fs::path& file) {
  if (is_importing() || window_.is_sheet()) return false;
  std::error_code error;
  if (dictionaries_.empty() || !platform::files::make_directories(dictionaries_, 0700, error)) {
    celldict::update::updlog("Create '%s' failed: %s", dictionaries_.c_str(),
                             error.message().c_str());
    show_error(pane_string("LOAD_DARUZ_FAILED"));
    return false;
  }
  auto reader = std::make_unique<ScelReader>();
  if (reader->load(file.string()) != SCEL_OK) {
    show_error(pane_string("LOAD_DARUZ_FAILED"));
    return false;
  }
  reader_ = std::move(reader);
  file_ = file;
  cancelled_ = false;
  _dictName->set_text(reader_->name());
  _dictDesc->set_text(reader_->remark());
  _dictCount->set_text(std::to_string(reader_->wordCount()));
  _importStatus->set_text("");
  _importButton->set_enabled(true);
  _importProgress->set_hidden(true);
  _importProgress->set_indeterminate(false);
  _importProgress->set_min_value(0);
  _importProgress->set_max_value(2.0 * reader_->wordCount());
  _importProgress->set_double_value(0);
  if (!window_.begin_sheet(parent_, loop_, [this](int) {
        // The header's reader lives until the sheet and its import have ended.
        if (!is_importing()) reader_.reset();
      })) {
    reader_.reset();
    return false;
  }
  return true;
}

void ImportSheet::importDaruz() {
  if (!reader_ || is_importing() || !_importButton->is_enabled()) return;
  _importButton->set_enabled(false);
  _importProgress->set_hidden(false);
  _importProgress->set_indeterminate(true);
  _importProgress->start_animation();
  redisplay();

  // A dictionary installed already is refreshed through its staging folder; the server swaps
  // it in at its next reload. A new one gets a folder named like its file.
  ImportOptions options;
  std::string name;
  if (auto installed = celldict::update::installed_folder_with_uid(dictionaries_, reader_->uid())) {
    celldict::update::updlog("Import %s has same uid with %s", file_.filename().c_str(),
                             installed->c_str());
    name = *installed;
    options.destination = ImportOptions::Destination::Staging;
  } else {
    name = file_.filename().string();
    options.destination = ImportOptions::Destination::Installed;
  }

  main_ = std::make_shared<panekit::MainThread>(loop_);
  reporter_ = std::make_unique<ControlsReporter>(main_, _importProgress, _importStatus, false);
  options.reporter = reporter_.get();
  worker_ = std::thread([this, options, name, main = main_] {
    const ImportResult result =
        celldict::update::importLoadedCellDict(*reader_, dictionaries_, name, options);
    main->post([this, result] { importDaruzDone(result); });
  });
}

void ImportSheet::importDaruzDone(const ImportResult& result) {
  if (worker_.joinable()) worker_.join();
  reader_.reset();
  if (!cancelled_ && finished_) finished_(result);
  if (window_.is_sheet()) window_.end_sheet(cancelled_ ? 0 : 1);
}

void ImportSheet::cancelDaruz() {
  if (!is_importing()) {
    if (window_.is_sheet()) window_.end_sheet(0);
    return;
  }
  // The worker removes what it built once it hears the stop; the sheet ends when it has.
  cancelled_ = true;
  reporter_->stop();
  _importProgress->set_indeterminate(true);
  _importProgress->start_animation();
  redisplay();
}

void ImportSheet::abandon() {
  if (reporter_) reporter_->stop();
  if (main_) main_->close();
  if (worker_.joinable()) worker_.join();
  reader_.reset();
}

}  // namespace dictpane
