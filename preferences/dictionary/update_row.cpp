#include "preferences/dictionary/update_row.h"

#include <string>

#include "preferences/dictionary/pane_bundle.h"

namespace dictpane {

using celldict::update::RowOutcome;
using platform::ui::Rect;

UpdateViewController::UpdateViewController(std::shared_ptr<panekit::MainThread> main,
                                           celldict::update::UpdateRow row, int index,
                                           double width)
    : main_(std::move(main)), row_(std::move(row)) {
  build_view(index, width);
  reporter_ = std::make_unique<ControlsReporter>(main_, progress_, runStatus_, true);
}

void UpdateViewController::build_view(int index, double width) {
  const std::string number = std::to_string(index);
  owned_view_ = std::make_unique<platform::ui::View>(Rect{0, 0, width, kRowHeight});
  owned_view_->set_identifier("updateRow" + number);
  view_ = owned_view_.get();
  auto name = std::make_unique<platform::ui::TextField>(Rect{8, 32, width - 110, 18});
  name->set_identifier("rowTitle" + number);
  name_ = &view_->add_subview(std::move(name));
  auto status = std::make_unique<platform::ui::TextField>(Rect{8, 4, width - 110, 16});
  status->set_identifier("rowStatus" + number);
  status->set_font(platform::ui::system_font(platform::ui::kSmallSystemFontSize));
  runStatus_ = &view_->add_subview(std::move(status));
  auto bar = std::make_unique<platform::ui::ProgressIndicator>(Rect{8, 20, width - 110, 10},
                                                               main_->loop());
  bar->set_identifier("rowProgress" + number);
  progress_ = &view_->add_subview(std::move(bar));
  auto stop = std::make_unique<platform::ui::Button>(Rect{width - 92, 14, 80, 26}, "Stop");
  stop->set_identifier("rowStop" + number);
  stop->set_action([this](platform::ui::Button&) { this->stop(); });
  stopButton_ = &view_->add_subview(std::move(stop));

  // Waiting for its turn.
  progress_->set_indeterminate(true);
  progress_->start_animation();
  runStatus_->set_text(pane_string("DARUZ_DICT_WAITING_DOWNLOAD"));
}

void UpdateViewController::setTitle(const std::string& title) {
  if (title.empty()) return;
  title_ = title;
  name_->set_text(title);
}

RowOutcome UpdateViewController::download(const std::filesystem::path& dictionaries,
                                          celldict::update::TransferLimits limits) {
  limits.abort = reporter_->stop_flag();
  const RowOutcome outcome = celldict::update::run_update_row(row_, dictionaries, *reporter_, limits);
  main_->run([this, outcome] {
    outcome_ = outcome;
    switch (outcome) {
      case RowOutcome::Staged:
        stopButton_->set_hidden(true);
        break;
      case RowOutcome::Stopped:
        ControlsReporter::apply(*progress_, celldict::kProgressHide, 0, true);
        break;
      default:
        progress_->stop_animation();
        progress_->set_hidden(true);
        stopButton_->set_hidden(true);
        break;
    }
    redisplay_window_of(view_);
  });
  return outcome;
}

void UpdateViewController::stop() {
  stop_quietly();
  runStatus_->set_text(pane_string("DARUZ_DICT_DOWNLOAD_ABORT"));
  redisplay_window_of(view_);
}

void UpdateViewController::stop_quietly() {
  reporter_->stop();
  // A finished row keeps showing how it ended.
  if (outcome_) return;
  ControlsReporter::apply(*progress_, celldict::kProgressIndeterminate, 0, true);
  stopButton_->set_hidden(true);
  redisplay_window_of(view_);
}

}  // namespace dictpane
