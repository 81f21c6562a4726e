#include "celldict/updater/updater_controller.h"

#include "celldict/updater/check_schedule.h"

#include <unistd.h>

#include <system_error>

#include "celldict/dictbuilder.h"
#include "celldict/update/cell_dict_setup.h"
#include "celldict/update/cell_dict_update.h"
#include "celldict/update/staged_import.h"
#include "celldict/update/update_fetch.h"
#include "celldict/update/update_log.h"
#include "celldict/update/update_reply.h"
#include "CoreSource/base/datafolder.h"
#include "platform/plist.h"
#include "platform/ui/alert.h"
#include "platform/ui/localized_strings.h"
#include "platform/ui/user_defaults.h"

namespace kepcelldictupdater {

namespace fs = std::filesystem;
using celldict::update::updlog;

namespace {

constexpr const char* kObservedObject = "KEP_CELL_DICT_UPDATER";
constexpr const char* kLastCheckKey = "LAST_CHECK";

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

std::optional<platform::ui::UserDefaults> open_defaults() {
  std::error_code error;
  auto defaults = platform::ui::UserDefaults::open(kBundleIdentifier, error);
  if (!defaults) updlog("The updater's settings cannot be opened: %s", error.message().c_str());
  return defaults;
}

}  // namespace

KepCellDictUpdaterController::KepCellDictUpdaterController(Host host, UpdaterSettings settings)
    : host_(std::move(host)),
      settings_(std::move(settings)),
      notice_(std::make_unique<UpdateNotice>(host_.loop, host_.windows, settings_.notice_time,
                                             settings_.notice_fade)) {
  if (!host_.exit_now) host_.exit_now = [](int status) { ::_exit(status); };
  if (!host_.now) host_.now = [] { return static_cast<std::int64_t>(std::time(nullptr)); };
}

KepCellDictUpdaterController::~KepCellDictUpdaterController() {
  {
    std::lock_guard lock(wait_mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (checker_.joinable()) checker_.join();
}

bool KepCellDictUpdaterController::awakeFromNib(platform::notify::DistributedCenter* center) {
  if (center != nullptr) {
    center->add_observer("UPDATE", std::string(kObservedObject),
                         [this](const platform::notify::Notification&) { updateNow(); });
    center->add_observer("SHUTDOWN", std::string(kObservedObject),
                         [this](const platform::notify::Notification&) { shutdown(); });
  }
  forceUpdate_ = false;
  if (celldict::update::Initialize() != 0) {
    auto text = [this](const char* key) {
      return host_.bundle != nullptr ? platform::ui::localized_string(*host_.bundle, key, key)
                                     : std::string(key);
    };
    platform::ui::Alert alert(host_.windows, host_.loop, kProgramName);
    alert.set_message_text(text("ERROR"));
    alert.set_informative_text(text("Load internal data failed!."));
    alert.add_button("BUTTON_QUIT", text("Quit"));
    alert.run_modal();
    return false;
  }
  samples_.clear();
  celldict::update::remove_abandoned_builds(celldict::update::dictionary_folder());
  stopFlag = 0;
  checker_ = std::thread([this] { checker(); });
  return true;
}

void KepCellDictUpdaterController::updateNow() {
  updlog("Receive Force Update message...");
  {
    std::lock_guard lock(wait_mutex_);
    forceUpdate_ = true;
  }
  wake_.notify_all();
}

void KepCellDictUpdaterController::shutdown() {
  updlog("Receive shutdown notification....");
  host_.exit_now(kShutdownStatus);
}

void KepCellDictUpdaterController::wait(Seconds duration, bool cut_by_request) {
  std::unique_lock lock(wait_mutex_);
  wake_.wait_for(lock, duration, [&] { return stopping() || (cut_by_request && forceUpdate_); });
}

void KepCellDictUpdaterController::checker() {
  std::int64_t decided_at = host_.now();
  wait(settings_.first_delay, /*cut_by_request=*/false);
  while (!stopping()) {
    if (check_due(decided_at)) check(decided_at);
    if (stopping()) return;
    if (forceUpdate_) {
      updlog("Post force update done message...");
      post_dictionaries_updated();
    }
    forceUpdate_ = false;
    for (std::int64_t step = 0; step < settings_.wait_steps && !forceUpdate_ && !stopping(); ++step) {
      wait(settings_.wait_step, /*cut_by_request=*/true);
    }
    decided_at = host_.now();
  }
}

bool KepCellDictUpdaterController::check_due(std::int64_t now) {
  std::optional<platform::ui::UserDefaults> defaults = open_defaults();
  return kepcelldictupdater::check_due(forceUpdate_, defaults ? defaults->integer(kLastCheckKey) : std::nullopt,
                                       now, settings_.check_interval.count());
}

void KepCellDictUpdaterController::check(std::int64_t decided_at) {
  std::optional<celldict::update::ScanResult> scan =
      celldict::update::getScanID(celldict::update::dictionary_folder());
  if (!scan || scan->query.empty()) return;
  uidInfo_ = std::move(*scan);
  celldict::update::TransferLimits limits = settings_.transfer_limits();
  limits.abort = &stopping_;
  std::optional<std::string> reply =
      celldict::update::fetch_update_reply(settings_.service_url, uidInfo_.query, limits);
  if (stopping()) return;
  if (reply && !reply->empty()) {
    if (celldict::update::looks_like_html(*reply)) {
      celldict::update::log_web_page_reply(*reply);
      return;
    }
    processUpdate(*reply);
    notfiyUpdates();
  }
  record_check(decided_at);
}

void KepCellDictUpdaterController::record_check(std::int64_t decided_at) {
  std::optional<platform::ui::UserDefaults> defaults = open_defaults();
  std::error_code error;
  if (defaults) {
    defaults->set(kLastCheckKey, platform::plist::Value(decided_at));
    if (!defaults->synchronize(error)) {
      updlog("Save %s failed: %s", kLastCheckKey, error.message().c_str());
    }
  }
  ++completed_checks_;
}

void KepCellDictUpdaterController::processUpdate(const std::string& reply) {
  samples_.clear();
  celldict::update::TransferLimits limits = settings_.transfer_limits();
  limits.abort = &stopping_;
  for (const celldict::update::UpdateLine& line : celldict::update::parse_reply(reply)) {
    if (stopping()) return;
    updlog("Downloaded from '%s'. UID=%s VER=%s", celldict::update::loggable(line.url).c_str(),
           celldict::update::loggable(line.uid).c_str(),
           celldict::update::loggable(line.version).c_str());
    celldict::update::DownloadOutcome outcome = celldict::update::downloadFile(
        line, uidInfo_, celldict::update::dictionary_folder(), limits);
    if (outcome.status == celldict::update::DownloadOutcome::Status::Imported &&
        line.uid == celldict::update::kNoticeUid) {
      samples_ = std::move(outcome.samples);
    }
  }
}

void KepCellDictUpdaterController::post_dictionaries_updated() {
  std::error_code error;
  if (!platform::notify::post_distributed({"DARUZ_DICT_UPDATED", "IMKKEP"}, error)) {
    updlog("Posting DARUZ_DICT_UPDATED failed: %s", error.message().c_str());
  }
}

bool KepCellDictUpdaterController::notice_hidden_by_user() const {
  std::error_code error;
  std::optional<platform::plist::Value> settings =
      platform::plist::read_file(QAGetAppSupportPathString() + "/imkkep.plist", error);
  if (!settings || !settings->is_dictionary()) return false;
  const platform::plist::Value* hide = settings->as_dictionary()->find("HideDaruzUpdateWindow");
  return hide != nullptr && hide->bool_value().value_or(false);
}

void KepCellDictUpdaterController::notfiyUpdates() {
  post_dictionaries_updated();
  if (samples_.empty() || notice_hidden_by_user()) return;
  host_.loop.perform([this, text = joined(samples_)] { notice_->showUpdates(text); });
}

}  // namespace kepcelldictupdater
