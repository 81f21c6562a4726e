// The import sheet: a cell dictionary's name, remark and word count, and, once the user goes
// ahead, its import on a worker thread with the progress and status of the build. The build
// goes through the library's staged import: a dictionary whose uid an installed folder holds
// is rebuilt into that folder's staging folder, a new one into a folder named like its file,
// and either is put in place only once complete. A stop, a failure or a closed window leaves
// nothing half built.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "celldict/scel_reader.h"
#include "celldict/update/staged_import.h"
#include "platform/runloop.h"
#include "platform/ui/alert.h"
#include "platform/ui/controls.h"
#include "platform/ui/progress_indicator.h"
#include "platform/ui/window.h"
#include "preferences/dictionary/controls_reporter.h"
#include "preferences/panekit/main_thread.h"

namespace dictpane {

inline constexpr const char* kImportSheetName = "DaruzDictImport";

class ImportSheet {
 public:
  // Told on the loop's thread when an import ended, before the sheet ends.
  using Finished = std::function<void(const celldict::update::ImportResult& result)>;

  // The sheet runs on `parent` and joins its window registry; `dictionaries` is the folder
  // the import builds in.
  ImportSheet(platform::RunLoop& loop, platform::ui::Window& parent,
              std::filesystem::path dictionaries, Finished finished);
  // Stops a running import and waits for its worker, which removes what it built.
  ~ImportSheet();
  ImportSheet(const ImportSheet&) = delete;
  ImportSheet& operator=(const ImportSheet&) = delete;

  // Reads the file's header and shows the sheet; false, after an error alert, when the header
  // cannot be read or the sheet cannot be shown.
  bool open(const std::filesystem::path& file);
  // The sheet's import button.
  void importDaruz();
  // The sheet's cancel button: closes the sheet before an import; during one, asks the worker
  // to stop and ends the sheet once it has.
  void cancelDaruz();

  bool is_open() const { return window_.is_sheet(); }
  bool is_importing() const { return worker_.joinable(); }
  platform::ui::Window& window() { return window_; }
  // The watcher of the running or last import; nullptr before one started.
  const ControlsReporter* reporter() const { return reporter_.get(); }

 private:
  void build_views();
  void importDaruzDone(const celldict::update::ImportResult& result);
  void show_error(const std::string& message);
  void redisplay();
  // Stops the worker and waits for it; nothing it hands over runs afterwards.
  void abandon();

  platform::RunLoop& loop_;
  platform::ui::Window& parent_;
  std::filesystem::path dictionaries_;
  Finished finished_;
  platform::ui::Window window_;
  std::unique_ptr<platform::ui::Alert> alert_;
  platform::ui::TextField* _dictName = nullptr;
  platform::ui::TextField* _dictDesc = nullptr;
  platform::ui::TextField* _dictCount = nullptr;
  platform::ui::TextField* _importStatus = nullptr;
  platform::ui::ProgressIndicator* _importProgress = nullptr;
  platform::ui::Button* _importButton = nullptr;
  std::unique_ptr<ScelReader> reader_;
  std::filesystem::path file_;
  std::shared_ptr<panekit::MainThread> main_;
  std::unique_ptr<ControlsReporter> reporter_;
  std::thread worker_;
  bool cancelled_ = false;
};

}  // namespace dictpane
