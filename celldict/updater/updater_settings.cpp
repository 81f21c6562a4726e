#include "celldict/updater/updater_settings.h"

#include <cmath>
#include <optional>

#include "celldict/update/update_log.h"

namespace kepcelldictupdater {

using celldict::update::updlog;

namespace {

// A wait longer than a year is surely a typing error; so is a body above a gigabyte.
constexpr double kMaxSeconds = 366.0 * 86400;
constexpr double kMaxBody = 1024.0 * 1024 * 1024;

// Where a setting's value comes from, first the user's, then the bundle's.
struct Sources {
  const platform::plist::Dictionary& user;
  const platform::plist::Dictionary& shipped;
};

std::optional<double> number(const Sources& sources, std::string_view key, double low, double high) {
  for (const platform::plist::Dictionary* source : {&sources.user, &sources.shipped}) {
    const platform::plist::Value* value = source->find(key);
    if (value == nullptr) continue;
    std::optional<double> read = value->real_value();
    if (read && std::isfinite(*read) && *read >= low && *read <= high) return read;
    updlog("The setting %.*s is not a number from %g to %g; it is left out.",
           static_cast<int>(key.size()), key.data(), low, high);
  }
  return std::nullopt;
}

void read_seconds(const Sources& sources, std::string_view key, Seconds* value, double low = 0) {
  if (auto read = number(sources, key, low, kMaxSeconds)) *value = Seconds(*read);
}

void read_count(const Sources& sources, std::string_view key, std::int64_t* value, double low,
                double high) {
  if (auto read = number(sources, key, low, high)) *value = static_cast<std::int64_t>(*read);
}

std::chrono::milliseconds millis(Seconds seconds) {
  return std::chrono::milliseconds(static_cast<std::int64_t>(std::ceil(seconds.count() * 1000)));
}

}  // namespace

celldict::update::TransferLimits UpdaterSettings::transfer_limits() const {
  celldict::update::TransferLimits limits;
  limits.connect_timeout = millis(connect_timeout);
  limits.total_timeout = millis(transfer_timeout);
  limits.max_body_bytes = static_cast<std::uint64_t>(max_body_bytes);
  return limits;
}

UpdaterSettings load_settings(const platform::Bundle& bundle,
                              const platform::ui::UserDefaults& defaults) {
  const Sources sources{defaults.values(), bundle.info()};
  UpdaterSettings settings;
  for (const platform::plist::Dictionary* source : {&sources.user, &sources.shipped}) {
    const platform::plist::Value* url = source->find("KEPCellDictUpdateURL");
    if (url == nullptr) continue;
    if (url->is_string() && !url->as_string()->empty()) {
      settings.service_url = *url->as_string();
      break;
    }
    updlog("The setting KEPCellDictUpdateURL is not an address; it is left out.");
  }
  read_seconds(sources, "KEPCellDictFirstDelay", &settings.first_delay);
  read_count(sources, "KEPCellDictWaitSteps", &settings.wait_steps, 0, 1e7);
  read_seconds(sources, "KEPCellDictWaitStep", &settings.wait_step);
  read_seconds(sources, "KEPCellDictCheckInterval", &settings.check_interval);
  read_seconds(sources, "KEPCellDictNoticeTime", &settings.notice_time);
  read_seconds(sources, "KEPCellDictNoticeFade", &settings.notice_fade);
  // A time-out of zero would mean none at all.
  read_seconds(sources, "KEPCellDictConnectTimeout", &settings.connect_timeout, 0.001);
  read_seconds(sources, "KEPCellDictTransferTimeout", &settings.transfer_timeout, 0.001);
  read_count(sources, "KEPCellDictMaxBodyBytes", &settings.max_body_bytes, 8, kMaxBody);
  return settings;
}

}  // namespace kepcelldictupdater
