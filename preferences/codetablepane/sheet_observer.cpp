#include "preferences/codetablepane/sheet_observer.h"

#include <string>

#include "platform/ui/controls.h"
#include "platform/ui/progress_indicator.h"
#include "preferences/codetablepane/pane_log.h"
#include "preferences/panekit/pane_bundle.h"
#include "preferences/panekit/redisplay.h"

namespace codetablepane {

using platform::ui::ProgressIndicator;

SheetObserver::SheetObserver(std::shared_ptr<panekit::MainThread> main, ProgressIndicator* bar,
                             platform::ui::TextField* status)
    : main_(std::move(main)), bar_(bar), status_(status) {}

void SheetObserver::show_text(std::string text) {
  main_->run([status = status_, text = std::move(text)] {
    status->set_text(text);
    panekit::redisplay_window_of(status);
  });
}

void SheetObserver::progress(void (*apply)(ProgressIndicator&, long long), long long value) {
  progress_messages_.fetch_add(1);
  main_->run([bar = bar_, apply, value] {
    apply(*bar, value);
    panekit::redisplay_window_of(bar);
  });
}

void SheetObserver::status(std::string_view key) { show_text(panekit::pane_string(key)); }

void SheetObserver::report(std::string_view text) {
  main_->run([this, text = std::string(text)] {
    left_out_ = text;
    status_->set_text(text);
    panekit::redisplay_window_of(status_);
  });
}

// The bar starts again from 0 with the build's whole range.
void SheetObserver::set_progress_max(long long max) {
  progress([](ProgressIndicator& bar, long long value) {
    bar.set_indeterminate(false);
    bar.set_min_value(0);
    bar.set_max_value(static_cast<double>(value));
    bar.set_double_value(0);
    bar.start_animation();
  }, max);
}

void SheetObserver::increment_progress(long long by) {
  progress([](ProgressIndicator& bar, long long value) { bar.increment_by(static_cast<double>(value)); }, by);
}

void SheetObserver::set_progress(long long value) {
  progress([](ProgressIndicator& bar, long long to) { bar.set_double_value(static_cast<double>(to)); }, value);
}

void SheetObserver::stop() {
  main_->run([bar = bar_] {
    bar->stop_animation();
    panekit::redisplay_window_of(bar);
  });
}

void SheetObserver::log(std::string_view line) { pane_log(std::string(line)); }

}  // namespace codetablepane
