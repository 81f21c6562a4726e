#include "IMKKEP/companions/KEPCompanions.h"

#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "CoreSource/base/config.h"
#include "CoreSource/base/datafolder.h"
#include "CoreSource/base/settings_keys.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/server_state.h"
#include "platform/bundle.h"
#include "platform/files.h"
#include "platform/notify.h"
#include "platform/plist.h"
#include "platform/process.h"
#include "platform/workspace.h"

namespace imkkep {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kAppSuffix = ".app";
constexpr const char* kInstalledSharedSupport =
    "/Library/Input Methods/IMKKEP.app/Contents/SharedSupport";

CompanionLauncher& launcher() {
  static CompanionLauncher installed;
  return installed;
}

// Programs whose launch failed once: later failures of the same program are logged only when
// logging is on, so a companion that is not installed does not fill the log at each activation.
std::set<std::string>& failed_programs() {
  static std::set<std::string> names;
  return names;
}

// The time of the last restart attempt per program, so that a program that keeps ending is
// started again at most once per kCompanionRestartInterval.
std::map<std::string, std::chrono::steady_clock::time_point>& restart_attempts() {
  static std::map<std::string, std::chrono::steady_clock::time_point> attempts;
  return attempts;
}

// The companions that are to keep running, and the process this server last launched of each:
// when it ends, it is started again.
constexpr std::string_view kKeptRunning[] = {"IMKKEPCandidateWindow", "IMKKEPSimp2TradConverter",
                                             "IMKKEPSentenceParser"};
constexpr std::string_view kSentenceParser = "IMKKEPSentenceParser";

// nullopt: it ended and has not been started again yet (the interval had not passed).
std::map<std::string, std::optional<pid_t>>& launched_companions() {
  static std::map<std::string, std::optional<pid_t>> launched;
  return launched;
}

bool kept_running(std::string_view name) {
  return std::find(std::begin(kKeptRunning), std::end(kKeptRunning), name) != std::end(kKeptRunning);
}

// Whether a child launched earlier has ended: reaped here, or already by another reap (the
// process is then gone).
bool ended(pid_t pid) {
  if (platform::process::wait_for_exit(pid, std::chrono::milliseconds(0))) return true;
  return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// "Name" of "Name.app" or "Name"; empty unless it is a plain file name.
std::string program_name_of(std::string_view app_name) {
  std::string name(app_name);
  if (name.ends_with(kAppSuffix)) name.resize(name.size() - kAppSuffix.size());
  if (name.empty() || name.front() == '.' || name.find('/') != std::string::npos ||
      name.find('\0') != std::string::npos) {
    return {};
  }
  return name;
}

// Nothing comes to the front of a headless desktop; the request is recorded.
void bring_to_front(const std::string& name) {
  KEPLog("Bring %s to the front.", name.c_str());
  std::error_code error;
  if (!platform::workspace::activate_application(name, error)) {
    KEPLogAlways("Bringing %s to the front failed: %s", name.c_str(), error.message().c_str());
  }
}

int real_launch(const fs::path& program, bool to_front) {
  platform::process::reap_launched();
  std::error_code error;
  const std::optional<pid_t> pid = platform::process::launch(program, {}, error);
  if (!pid) return error.value() != 0 ? error.value() : EIO;
  const std::string name = program.filename().string();
  if (kept_running(name)) launched_companions()[name] = *pid;
  if (to_front) bring_to_front(name);
  return 0;
}

// Programs this server has started: starting a companion that is to keep running again means
// it had ended, whichever path (a restart, or an activation asking for the sentence service)
// notices it first. Programs that end by design (the preferences, the updater) are not meant.
std::set<std::string>& started_programs() {
  static std::set<std::string> names;
  return names;
}

int launch(std::string_view app_name, bool to_front, bool restart = false) {
  const std::string name = program_name_of(app_name);
  if (name.empty()) {
    KEPLogAlways("Launch refused: '%.*s' is not a program name.", static_cast<int>(app_name.size()),
                 app_name.data());
    return -2;
  }
  const fs::path program = KEPSharedSupportPath() / (name + ".app") / "Contents" / "MacOS" / name;
  KEPLog("Lanuch the app %s", program.c_str());
  if (IsRunningApp(name)) {
    // Asked for again: the running copy serves; one in front is brought there.
    if (to_front) bring_to_front(name);
    KEPLog("Launch result:%d", 0);
    return 0;
  }
  const int result = launcher() ? launcher()(program, to_front) : real_launch(program, to_front);
  KEPLog("Launch result:%d", result);
  if (result == 0) {
    failed_programs().erase(name);
    const bool started_before = !started_programs().insert(name).second;
    if (restart || (started_before && kept_running(name))) {
      KEPLogAlways("%s had stopped; started it again.", name.c_str());
    }
  } else if (failed_programs().insert(name).second) {
    KEPLogAlways("%s cannot be launched: %s", program.c_str(),
                 std::generic_category().message(result).c_str());
  }
  return result;
}

// The settings file as it stands, for start-up, before the engine has read any settings.
bool startup_setting_bool(const char* key) {
  std::error_code error;
  std::optional<platform::plist::Value> file =
      platform::plist::read_file(QAGetAppSupportPathString() + "/imkkep.plist", error);
  const platform::plist::Dictionary* saved = kIMEConfigureDictionary;
  if (file && file->is_dictionary()) kIMEConfigureDictionary = &*file->as_dictionary();
  const int value = ime_setting_bool(key, ImeSettingReader::Server);
  kIMEConfigureDictionary = saved;
  return value != 0;
}

}  // namespace

void KEPSetCompanionLauncher(CompanionLauncher replacement) {
  launcher() = std::move(replacement);
  failed_programs().clear();
  restart_attempts().clear();
  started_programs().clear();
  launched_companions().clear();
}

fs::path KEPSharedSupportPath() {
  if (std::optional<platform::Bundle> bundle = platform::Bundle::find(kServerBundleIdentifier)) {
    return bundle->shared_support_path();
  }
  return platform::files::under_root(kInstalledSharedSupport);
}

int KEPLaunchApp(std::string_view app_name) { return launch(app_name, /*to_front=*/false); }
int KEPLaunchApp2(std::string_view app_name) { return launch(app_name, /*to_front=*/true); }

bool IsRunningApp(std::string_view name) { return platform::process::is_running_in_session(name); }

void KEPCheckCellDictUpdater(bool at_startup) {
  // An updater that cannot be started is tried again at each reload, but said once.
  const bool failed_before = failed_programs().contains("KepCellDictUpdater");
  auto log = at_startup || failed_before ? KEPLog : KEPLogAlways;
  const bool wanted = at_startup ? startup_setting_bool("DaruzDictAutoUpdate")
                                 : ime_setting_bool("DaruzDictAutoUpdate", ImeSettingReader::Server);
  const bool running = IsRunningApp("KepCellDictUpdater");
  if (wanted && !running) {
    log("Launching KepCellDictUpdater.app...");
    KEPLaunchApp("KepCellDictUpdater.app");
  } else if (!wanted && running) {
    log("Shutdown KepCellDictUpdater.app...");
    std::error_code error;
    if (!platform::notify::post_distributed({"SHUTDOWN", "KEP_CELL_DICT_UPDATER"}, error)) {
      KEPLogAlways("Posting SHUTDOWN to the cell dictionary updater failed: %s",
                   error.message().c_str());
    }
  }
}

void KEPLaunchSentenceParser() {
  if (full_convert_installed()) KEPLaunchApp("IMKKEPSentenceParser.app");
}

void KEPLaunchStartupCompanions() {
  KEPCheckCellDictUpdater(/*at_startup=*/true);
  KEPLaunchApp("IMKKEPCandidateWindow.app");
  KEPLaunchApp("IMKKEPSimp2TradConverter.app");
  KEPLaunchSentenceParser();
}

bool KEPCompanionGone(std::string_view app_name) {
  using Clock = std::chrono::steady_clock;
  const std::string name = program_name_of(app_name);
  if (name.empty()) return false;
  const Clock::time_point now = Clock::now();
  auto found = restart_attempts().find(name);
  if (found != restart_attempts().end() && now - found->second < kCompanionRestartInterval) {
    return false;
  }
  restart_attempts()[name] = now;
  // The sentence service runs only where its word libraries are installed.
  if (name == kSentenceParser && !full_convert_installed()) return false;
  if (IsRunningApp(name)) return true;
  return launch(app_name, /*to_front=*/false, /*restart=*/true) == 0;
}

void KEPCheckLaunchedCompanions() {
  std::vector<std::string> gone;
  for (const auto& [name, pid] : launched_companions()) {
    if (!pid || ended(*pid)) gone.push_back(name);
  }
  for (const std::string& name : gone) {
    launched_companions()[name].reset();
    const bool runs = KEPCompanionGone(name + std::string(kAppSuffix));
    // Started again, it is watched under its new process; running as another's, not at all;
    // not started, it is tried again at the next check.
    auto it = launched_companions().find(name);
    if (runs && !it->second) launched_companions().erase(it);
  }
}

void KEPLaunchSoftwareUpdater() {
  if (ime_setting_bool("AutoUpdate", ImeSettingReader::Server) && !IsRunningApp("KEPUpdater")) {
    KEPLaunchApp("KEPUpdater.app");
  }
}

}  // namespace imkkep
