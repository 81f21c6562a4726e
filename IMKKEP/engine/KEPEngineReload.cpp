// What every activation brings up to date: the settings file, the engine's copy of the
// settings, the punctuation, the page keys, and dictionaries or user phrases that changed.
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "CoreSource/base/config.h"
#include "CoreSource/base/datafolder.h"
#include "CoreSource/base/settings_keys.h"
#include "CoreSource/dict/dictpool.h"
#include "CoreSource/match/imeconvs1.h"
#include "CoreSource/record/conversation.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/record/qrdb.h"
#include "CoreSource/start/config_reload.h"
#include "CoreSource/text/punct.h"
#include "CoreSource/user/imeuser2.h"
#include "IMKKEP/companions/KEPCompanions.h"
#include "IMKKEP/engine/KEPConvertEngine.h"
#include "IMKKEP/engine/KEPUserPhrases.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/server_state.h"
#include "platform/plist.h"

namespace imkkep {

namespace {

namespace fs = std::filesystem;

std::function<void()>& reload_listener() {
  static std::function<void()> listener;
  return listener;
}

// The settings the engine reads through kIMEConfigureDictionary, and the modification time of
// the file they were read from.
std::optional<platform::plist::Dictionary> settings;
std::optional<fs::file_time_type> lastMD;

constexpr int kSwitchCapsLock = 0x10000;
constexpr int kSwitchShift = 0x20000;
constexpr int kNoSwitchKey = 0xffff;

int switch_mode_of(int switch_key) {
  switch (switch_key) {
    case 0:
      return kSwitchCapsLock;
    case 1:
      return kSwitchShift;
    default:
      return kNoSwitchKey;
  }
}

void copy_default_settings(const std::string& folder) {
  KEPLog("IMKKEP plist file not exists. Copy the default");
  char shipped[512];
  if (ime_get_resource_filename("!imkkep.plist", shipped) != 0 ||
      QACopyFile(shipped, folder.c_str()) != 0) {
    KEPLogAlways("Copy default imkkep.plist to user path failed!");
    KEPLogAlways("ERROR:%s", shipped);
  }
}

// Whether any composition still shows candidates; its dictionary entries must outlive it.
const ConversationHandle* conversation_with_candidates() {
  for (const auto& [key, handle] : kConvsTable) {
    if (handle.convs != nullptr && handle.convs->ncand > 0) return &handle;
  }
  return nullptr;
}

int reload_dictionaries() {
  KEPLog("IMKKEP: Dictionary needs update.");
  if (const ConversationHandle* busy = conversation_with_candidates()) {
    KEPLog("IMKKEP: Conversation handle 0x%08lx has %d results. Update suspended.",
           static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(busy->convs)),
           busy->convs->ncand);
    return 0;
  }
  KEPLog("IMKKEP: Dictionary update now start....");
  IMEUpdateDaruzDict();
  // The open dictionaries stay until the new ones opened: a failure keeps them in use.
  if (ime_reload_phrase() != 0) {
    KEPLogAlways("Load dictionary failed!");
    return -1;
  }
  dict_needs_update = 0;
  return 0;
}

int reload_user_phrases() {
  KEPLog("Loading the user database....");
  return KEPReloadUserPhrases();
}

}  // namespace

int IMEConfigLoad() {
  const std::string& folder = QAGetAppSupportPathString();
  std::string path = folder + "/imkkep.plist";
  std::error_code error;
  if (!fs::exists(path, error)) copy_default_settings(folder);

  const fs::file_time_type modified = fs::last_write_time(path, error);
  const bool dated = !error;
  if (!dated) {
    KEPLogAlways("Get file modify date for '%s' failed!: %s", path.c_str(), error.message().c_str());
  } else if (lastMD && *lastMD == modified) {
    KEPLog("Date is same, bypass loading...");
    return 0;
  }

  std::optional<platform::plist::Value> read = platform::plist::read_file(path, error);
  if (!read || !read->is_dictionary()) {
    // A file being edited or damaged: the settings in force stay, and the date is not taken,
    // so the file is read again once it is whole.
    KEPLogAlways("Load configure dictionary from '%s' failed!", path.c_str());
    return 0;
  }
  settings = std::move(*read->as_dictionary());
  KEPLog("Load configure dictionary from '%s' successed!", path.c_str());
  if (dated) {
    lastMD = modified;
    KEPLog("New date:%lld", static_cast<long long>(modified.time_since_epoch().count()));
  }
  kIMEConfigureDictionary = settings ? &*settings : nullptr;
  return 0;
}

void KEPSetReloadListener(std::function<void()> listener) {
  reload_listener() = std::move(listener);
}

int IMEReload() {
  IMEConfigLoad();
  ime_config_reload();
  ime_load_punct();
  pageup_mask = ime_setting_int("PageUpMask", ImeSettingReader::Server);
  pagedown_mask = ime_setting_int("PageDownMask", ImeSettingReader::Server);
  // Dictionaries that failed to open leave the ones in use; the rest of the reload goes on.
  const int result = dict_needs_update && reload_dictionaries() != 0 ? -1 : 0;
  const bool phrases_failed = kUDBNeedsReload && reload_user_phrases() != 0;
  KEPCheckCellDictUpdater(/*at_startup=*/false);
  KEPLaunchSentenceParser();
  if (phrases_failed) return -1;
  switch_mode = switch_mode_of(ime_switch_key);
  if (reload_listener()) reload_listener()();
  ime_valid = 1;
  return result;
}

void IMEReleaseConfig() {
  kIMEConfigureDictionary = nullptr;
  settings.reset();
  lastMD.reset();
}

}  // namespace imkkep
