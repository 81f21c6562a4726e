// The updater's controller: asks the update service once a day (or at once on request) for
// newer versions of the installed cell dictionaries, rebuilds them into staging folders on
// its checker thread, tells the server, and shows the renewed sample words of the uid-4
// dictionary in its notice panel.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "celldict/update/uid_scan.h"
#include "celldict/updater/update_panel.h"
#include "celldict/updater/updater_settings.h"
#include "platform/bundle.h"
#include "platform/notify.h"
#include "platform/runloop.h"
#include "platform/ui/window_registry.h"

namespace kepcelldictupdater {

// Exit status of a SHUTDOWN; a POSIX parent sees it modulo 256 (17).
inline constexpr int kShutdownStatus = 273;

class KepCellDictUpdaterController {
 public:
  // What the controller needs from its process; tests give their own.
  struct Host {
    platform::RunLoop& loop;
    platform::ui::WindowRegistry& windows;
    // The program's bundle, for its interface strings; may be null.
    const platform::Bundle* bundle = nullptr;
    // Ends the process at once with the status (no clean-up); _exit unless a test says.
    std::function<void(int status)> exit_now;
    // The Unix time now; time(nullptr) unless a test says.
    std::function<std::int64_t()> now;
  };

  KepCellDictUpdaterController(Host host, UpdaterSettings settings);
  // Stops the checker thread (a transfer under way is aborted) and waits for it.
  ~KepCellDictUpdaterController();
  KepCellDictUpdaterController(const KepCellDictUpdaterController&) = delete;
  KepCellDictUpdaterController& operator=(const KepCellDictUpdaterController&) = delete;

  // Observes UPDATE and SHUTDOWN on `center` (when given), sets the dictionary tools up and
  // starts the checker thread. When the set-up fails it shows its alert and answers false:
  // the program then ends.
  bool awakeFromNib(platform::notify::DistributedCenter* center);

  // "UPDATE": a check at once (within a wait step).
  void updateNow();
  // "SHUTDOWN": the process ends at once with kShutdownStatus.
  void shutdown();
  bool force_update_requested() const { return forceUpdate_.load(); }

  // The checks that reached the service and were recorded, for tests.
  int completed_checks() const { return completed_checks_.load(); }
  UpdateNotice& notice() { return *notice_; }

 private:
  void checker();
  // True once the thread is to end.
  bool stopping() const { return stopping_.load(); }
  // Sleeps for `duration` unless the controller stops, or (with `cut_by_request`) a check is
  // requested meanwhile.
  void wait(Seconds duration, bool cut_by_request);
  bool check_due(std::int64_t now);
  void check(std::int64_t decided_at);
  void record_check(std::int64_t decided_at);
  void processUpdate(const std::string& reply);
  void notfiyUpdates();
  void post_dictionaries_updated();
  bool notice_hidden_by_user() const;

  Host host_;
  UpdaterSettings settings_;
  std::unique_ptr<UpdateNotice> notice_;
  // A check was asked for; set by the main thread, consumed by the checker.
  std::atomic<bool> forceUpdate_{false};
  std::atomic<bool> stopping_{false};
  std::mutex wait_mutex_;
  std::condition_variable wake_;
  // Checker thread only.
  celldict::update::ScanResult uidInfo_;
  std::vector<std::string> samples_;
  std::atomic<int> completed_checks_{0};
  std::thread checker_;
};

}  // namespace kepcelldictupdater
