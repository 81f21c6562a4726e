// The updater's configuration: keys of its bundle's Info.plist, each overridden by the
// program's user default of the same key (tests stage short waits that way). A value of the
// wrong kind or out of range is logged and left out, and the next source answers.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "celldict/update/update_fetch.h"
#include "platform/bundle.h"
#include "platform/ui/user_defaults.h"

namespace kepcelldictupdater {

inline constexpr const char* kProgramName = "KepCellDictUpdater";
inline constexpr const char* kBundleIdentifier = "com.corvana.kepcelldictupdater.imkkep";

using Seconds = std::chrono::duration<double>;

struct UpdaterSettings {
  std::string service_url = "http://dict-update.invalid";
  Seconds first_delay{180};
  std::int64_t wait_steps = 3598;
  Seconds wait_step{1};
  Seconds check_interval{86400};
  Seconds notice_time{5};
  Seconds notice_fade{0.8};
  Seconds connect_timeout{30};
  Seconds transfer_timeout{300};
  std::int64_t max_body_bytes = 32 << 20;

  celldict::update::TransferLimits transfer_limits() const;
};

// The settings from the user defaults, else the bundle's Info.plist, else the values above.
UpdaterSettings load_settings(const platform::Bundle& bundle, const platform::ui::UserDefaults& defaults);

}  // namespace kepcelldictupdater
