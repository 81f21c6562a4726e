#include "preferences/dictionary/controls_reporter.h"

#include <string>

#include "platform/ui/controls.h"
#include "platform/ui/progress_indicator.h"
#include "platform/ui/window.h"
#include "preferences/dictionary/pane_bundle.h"

namespace dictpane {

ControlsReporter::ControlsReporter(std::shared_ptr<panekit::MainThread> main,
                                   platform::ui::ProgressIndicator* bar,
                                   platform::ui::TextField* status, bool hides_bar)
    : main_(std::move(main)), bar_(bar), status_(status), hides_bar_(hides_bar) {}

void ControlsReporter::apply(platform::ui::ProgressIndicator& bar, int command,
                             std::int64_t value, bool hides_bar) {
  switch (command) {
    case celldict::kProgressIndeterminate:
      bar.set_indeterminate(true);
      bar.start_animation();
      break;
    case celldict::kProgressDeterminate:
      bar.stop_animation();
      bar.set_indeterminate(false);
      if (value > 0) {
        bar.set_min_value(0);
        bar.set_max_value(static_cast<double>(value));
        bar.set_double_value(0);
      }
      bar.start_animation();
      break;
    case celldict::kProgressSetValue:
      bar.set_double_value(static_cast<double>(value));
      break;
    case celldict::kProgressAddValue:
      bar.increment_by(static_cast<double>(value));
      break;
    case celldict::kProgressHide:
      if (hides_bar) {
        bar.stop_animation();
        bar.set_hidden(true);
      }
      break;
    default:
      break;
  }
}

void ControlsReporter::setProgress(int command, std::int64_t value) {
  messages_.fetch_add(1);
  main_->run([bar = bar_, command, value, hides = hides_bar_] {
    if (bar == nullptr) return;
    apply(*bar, command, value, hides);
    redisplay_window_of(bar);
  });
}

void ControlsReporter::setStatus(std::string_view status_key) {
  main_->run([status = status_, text = pane_string(status_key)] {
    if (status == nullptr) return;
    status->set_text(text);
    redisplay_window_of(status);
  });
}

}  // namespace dictpane
