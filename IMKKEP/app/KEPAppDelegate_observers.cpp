// What the server answers of other programs: the dictionary tools staging a dictionary, the
// user dictionary manager changing udb.lib or needing it written, and companions that are gone.
#include <mutex>
#include <system_error>

#include "CoreSource/services/service_peer.h"
#include "IMKKEP/app/KEPAppDelegate.h"
#include "IMKKEP/companions/KEPCompanions.h"
#include "IMKKEP/engine/KEPConvertEngine.h"
#include "IMKKEP/engine/KEPUserPhrases.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/server_state.h"

namespace imkkep {

bool KEPAppDelegate::registerObservers(platform::RunLoop& loop) {
  // The engine asks its services on this loop's thread, between keys of its clients.
  ime_set_service_gone_hook([](std::string_view program) { KEPCompanionGone(program); });
  companions_loop_ = &loop;
  const auto interval = std::chrono::milliseconds(kCompanionCheckInterval);
  companions_timer_ = loop.add_timer(interval, [] { KEPCheckLaunchedCompanions(); }, interval);
  std::error_code error;
  close_accessory_observer_ = platform::notify::NotificationCenter::local().add_observer(
      "CLOSEACC", std::nullopt, [this](const platform::notify::Notification&) { closeAccPanel(); });
  distributed_ = platform::notify::DistributedCenter::create(loop, error);
  if (!distributed_) {
    KEPLogAlways("IMKKEP: Notifications cannot be received: %s", error.message().c_str());
    return false;
  }
  distributed_->add_observer("DARUZ_DICT_UPDATED", "IMKKEP",
                             [this](const platform::notify::Notification&) { daruzDictUpdated(); });
  distributed_->add_observer("KEPUDBReload", "JEV",
                             [this](const platform::notify::Notification&) { udbReload(); });
  distributed_->add_observer("KEPUDBSave", "JEV",
                             [this](const platform::notify::Notification&) { udbSave(); });
  return true;
}

void KEPAppDelegate::unregisterObservers() {
  ime_set_service_gone_hook(nullptr);
  if (companions_loop_ != nullptr && companions_timer_ != 0) {
    companions_loop_->cancel_timer(companions_timer_);
  }
  companions_loop_ = nullptr;
  companions_timer_ = 0;
  distributed_.reset();
  if (close_accessory_observer_ != 0) {
    platform::notify::NotificationCenter::local().remove_observer(close_accessory_observer_);
    close_accessory_observer_ = 0;
  }
}

void KEPAppDelegate::daruzDictUpdated() {
  KEPLogAlways("IMKKEP: Receive a daruz cell dictionary update notification.");
  std::lock_guard<std::mutex> lock(_handleLocker);
  dict_needs_update = 1;
}

void KEPAppDelegate::udbReload() {
  KEPLogAlways("IMKKEP: Receive a udb database modified notification.");
  std::lock_guard<std::mutex> lock(_handleLocker);
  KEPLogAlways("UDB database now reloading...");
  KEPReloadUserPhrases();
}

void KEPAppDelegate::udbSave() {
  KEPLogAlways("IMKKEP: Receive a udb database save notification.");
  bool saved = false;
  {
    std::lock_guard<std::mutex> lock(_handleLocker);
    KEPLogAlways("IMKKEP: UDB database now saving...");
    saved = KEPSaveUserPhrases();
  }
  // The manager reads udb.lib once told; a save that did not reach the file tells it nothing.
  if (!saved) return;
  KEPLogAlways("IMKKEP: UDB save done.");
  std::error_code error;
  if (!platform::notify::post_distributed({"KEPUDBSaved", "KEP"}, error)) {
    KEPLogAlways("IMKKEP: Posting KEPUDBSaved failed: %s", error.message().c_str());
  }
}

void KEPAppDelegate::systemShutdown() {
  KEPLogAlways("===========> IMKKEP will shutdown....");
  IMEExit();
}

}  // namespace imkkep
