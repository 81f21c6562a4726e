// The sheet that builds a new code table: its source text (chosen in an open panel), its name
// and options. The compiler runs on a worker thread and reports in the sheet's progress bar and
// status field; the scheme file is written once the table is complete, and the sheet closes.
// A failure leaves its text in the status field with only the cancel button enabled.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/runloop.h"
#include "platform/ui/alert.h"
#include "platform/ui/controls.h"
#include "platform/ui/open_panel.h"
#include "platform/ui/progress_indicator.h"
#include "platform/ui/user_defaults.h"
#include "platform/ui/window.h"
#include "preferences/codetablepane/dialogs.h"
#include "preferences/codetablepane/option_form.h"
#include "preferences/codetablepane/sheet_observer.h"
#include "preferences/panekit/main_thread.h"

namespace codetablepane {

inline constexpr const char* kBuildSheetName = "PCTNewBuild";
inline constexpr double kSheetHeight = 390;
inline constexpr double kBuildingSheetHeight = 400;

class BuildSheet {
 public:
  // Told on the loop's thread with the new scheme's name once it is installed.
  using Built = std::function<void(const std::string& name)>;

  // `folder` is the code-table folder the table is built in; `defaults` (may be null) keeps
  // the folder the open panel starts in.
  BuildSheet(platform::RunLoop& loop, platform::ui::Window& parent, std::string folder,
             platform::ui::UserDefaults* defaults, Built built);
  // Stops a running build and waits for its worker; nothing is installed then.
  ~BuildSheet();
  BuildSheet(const BuildSheet&) = delete;
  BuildSheet& operator=(const BuildSheet&) = delete;

  // Empties the form and shows the sheet; false when it cannot be shown.
  bool open();
  // The sheet's buttons.
  void browserFile();
  void build();
  void cancelBuild();

  bool is_open() const { return window_.is_sheet(); }
  bool is_building() const { return worker_.joinable(); }
  platform::ui::Window& window() { return window_; }
  // The watcher of the running or last build; nullptr before one started.
  const SheetObserver* observer() const { return observer_.get(); }

 private:
  void build_views();
  // The first check the form fails, as an alert; true when it passes them all.
  bool check_form();
  void alert(const std::string& key, platform::ui::View* focus);
  void buildDone(int result, const std::string& error, const codetable::SchemeLine& scheme,
                 const std::string& name);
  void set_form_enabled(bool enabled);
  void browserFileDidEnd(int return_code);

  platform::RunLoop& loop_;
  platform::ui::Window& parent_;
  std::string folder_;
  platform::ui::UserDefaults* defaults_;
  Built built_;
  platform::ui::Window window_;
  std::unique_ptr<platform::ui::Alert> alert_;
  std::unique_ptr<platform::ui::OpenPanel> openPanel_;
  platform::ui::TextField* _srcFile = nullptr;
  platform::ui::TextField* _name = nullptr;
  OptionForm form_;
  platform::ui::ProgressIndicator* _buildProgress = nullptr;
  platform::ui::TextField* _buildStatus = nullptr;
  platform::ui::Button* _browse = nullptr;
  platform::ui::Button* _build = nullptr;
  platform::ui::Button* _cancel = nullptr;
  std::shared_ptr<panekit::MainThread> main_;
  std::unique_ptr<SheetObserver> observer_;
  std::thread worker_;
};

}  // namespace codetablepane
