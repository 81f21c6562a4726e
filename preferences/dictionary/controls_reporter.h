// A build's progress shown in a bar and a status line: the progress watcher of the import
// sheet and of each update row. The build calls it from its worker; every change is made on
// the run loop's thread, the worker waiting until it is done. The stop request is atomic.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>

#include "celldict/progress_reporter.h"
#include "preferences/panekit/main_thread.h"
#include "preferences/panekit/redisplay.h"

namespace platform::ui {
class ProgressIndicator;
class TextField;
class View;
}  // namespace platform::ui

namespace dictpane {

using panekit::redisplay_window_of;

class ControlsReporter : public celldict::ProgressReporter {
 public:
  // `bar` and `status` must live while `main` is open. `hides_bar`: command 4 stops and hides
  // the bar (update rows); otherwise it is ignored (the import sheet).
  ControlsReporter(std::shared_ptr<panekit::MainThread> main, platform::ui::ProgressIndicator* bar,
                   platform::ui::TextField* status, bool hides_bar);

  void setProgress(int command, std::int64_t value) override;
  void setStatus(std::string_view status_key) override;
  bool isStopped() const override { return stopped_.load(); }

  void stop() { stopped_.store(true); }
  // The stop request itself, for a transfer to abort on.
  const std::atomic<bool>* stop_flag() const { return &stopped_; }
  void clear_stop() { stopped_.store(false); }
  // Progress messages handed to the main thread so far.
  std::uint64_t progress_messages() const { return messages_.load(); }

  // Applies a command to a bar, on its thread.
  static void apply(platform::ui::ProgressIndicator& bar, int command, std::int64_t value,
                    bool hides_bar);

 private:
  std::shared_ptr<panekit::MainThread> main_;
  platform::ui::ProgressIndicator* bar_;
  platform::ui::TextField* status_;
  bool hides_bar_;
  std::atomic<bool> stopped_{false};
  std::atomic<std::uint64_t> messages_{0};
};

}  // namespace dictpane
