// One row of the update sheet: a dictionary's title, a status line, a progress bar and a stop
// button over its table row, and the download and rebuild of that dictionary, which the update
// worker runs through the library while the row watches and may stop it.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "celldict/update/row_download.h"
#include "platform/runloop.h"
#include "platform/ui/controls.h"
#include "platform/ui/progress_indicator.h"
#include "platform/ui/view.h"
#include "preferences/dictionary/controls_reporter.h"

namespace dictpane {

class UpdateViewController {
 public:
  static constexpr double kRowHeight = 54;

  // The row's view is made here; whoever shows it (the update table) adds it as a subview and
  // then owns it. `index` names its controls ("rowStop0" ...).
  UpdateViewController(std::shared_ptr<panekit::MainThread> main, celldict::update::UpdateRow row,
                       int index, double width);
  UpdateViewController(const UpdateViewController&) = delete;
  UpdateViewController& operator=(const UpdateViewController&) = delete;

  void setTitle(const std::string& title);
  const std::string& title() const { return title_; }
  const celldict::update::UpdateRow& row() const { return row_; }

  // The view before it is handed over; nullptr afterwards.
  std::unique_ptr<platform::ui::View> take_view() { return std::move(owned_view_); }
  platform::ui::View* view() const { return view_; }
  platform::ui::Button* stopButton() const { return stopButton_; }
  platform::ui::ProgressIndicator* progress() const { return progress_; }
  platform::ui::TextField* runStatus() const { return runStatus_; }

  // On the update worker: downloads and rebuilds; the outcome.
  celldict::update::RowOutcome download(const std::filesystem::path& dictionaries,
                                        celldict::update::TransferLimits limits);
  // The stop button: this row's transfer or build ends at its next check.
  void stop();
  // Asked to stop without the row's own stop being pressed (the sheet's quit button).
  void stop_quietly();
  bool isStopped() const { return reporter_->isStopped(); }
  std::optional<celldict::update::RowOutcome> outcome() const { return outcome_; }

 private:
  void build_view(int index, double width);

  std::shared_ptr<panekit::MainThread> main_;
  celldict::update::UpdateRow row_;
  std::string title_;
  std::unique_ptr<platform::ui::View> owned_view_;
  platform::ui::View* view_ = nullptr;
  platform::ui::TextField* name_ = nullptr;
  platform::ui::TextField* runStatus_ = nullptr;
  platform::ui::ProgressIndicator* progress_ = nullptr;
  platform::ui::Button* stopButton_ = nullptr;
  std::unique_ptr<ControlsReporter> reporter_;
  // Set on the loop's thread once the worker's job ended.
  std::optional<celldict::update::RowOutcome> outcome_;
};

}  // namespace dictpane
