// The compiler's observer for the build sheet: each report of the build's worker is made on the
// run loop's thread (the worker waiting until it is done) in the sheet's progress bar and status
// field. A stop asked for on the loop's thread ends the build at its next step.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "preferences/codetable/table_build.h"
#include "preferences/panekit/main_thread.h"

namespace platform::ui {
class ProgressIndicator;
class TextField;
}  // namespace platform::ui

namespace codetablepane {

class SheetObserver : public codetable::BuildObserver {
 public:
  // `bar` and `status` must live while `main` is open.
  SheetObserver(std::shared_ptr<panekit::MainThread> main, platform::ui::ProgressIndicator* bar,
                platform::ui::TextField* status);

  void status(std::string_view key) override;
  void set_progress_max(long long max) override;
  void increment_progress(long long by) override;
  void set_progress(long long value) override;
  void report(std::string_view text) override;
  void stop() override;
  void log(std::string_view line) override;
  bool stop_requested() override { return stop_.load(); }

  void request_stop() { stop_.store(true); }
  // On the loop's thread: what the last build that succeeded left out, as the compiler told it;
  // empty when nothing.
  const std::string& left_out() const { return left_out_; }
  // Progress messages handed to the loop's thread so far.
  std::uint64_t progress_messages() const { return progress_messages_.load(); }

 private:
  void show_text(std::string text);
  void progress(void (*apply)(platform::ui::ProgressIndicator&, long long), long long value);

  std::shared_ptr<panekit::MainThread> main_;
  platform::ui::ProgressIndicator* bar_;
  platform::ui::TextField* status_;
  std::string left_out_;  // the loop's thread only
  std::atomic<bool> stop_{false};
  std::atomic<std::uint64_t> progress_messages_{0};
};

}  // namespace codetablepane
