// The companion programs of the server: the candidate window, the script converter, the
// sentence service, the cell-dictionary updater, the software updater and the preferences.
// They live in the server bundle's SharedSupport folder as "<Name>.app" bundles whose program
// is Contents/MacOS/<Name>. A program that already runs is never started a second time.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace imkkep {

// The folder the companions are launched from: the server bundle's SharedSupport, or the
// installed bundle's under the root prefix when the bundle cannot be found.
std::filesystem::path KEPSharedSupportPath();

// Launches "<Name>.app" in the background (KEPLaunchApp) or brought to the front
// (KEPLaunchApp2). 0 when it started or already runs; -2 when the name does not form a
// program path; otherwise the system's error number (the program is missing, not executable).
int KEPLaunchApp(std::string_view app_name);
int KEPLaunchApp2(std::string_view app_name);

// Whether a program with exactly this executable name runs in this session (for this user
// and this runtime folder).
bool IsRunningApp(std::string_view name);

// The cell-dictionary updater follows the "DaruzDictAutoUpdate" setting: launched when it is on
// and the updater does not run, asked to shut down when it is off and the updater runs. At
// start-up the setting is read from the settings file (the engine has none yet) and the lines
// are logged only when logging is on; at a reload they are always logged.
void KEPCheckCellDictUpdater(bool at_startup);

// How a companion's program is started (its path, and whether it comes to the front): 0 or
// the system's error number. Tests put a recorder in place of the real launcher; nullptr
// restores it.
using CompanionLauncher = std::function<int(const std::filesystem::path& program, bool to_front)>;
void KEPSetCompanionLauncher(CompanionLauncher launcher);

// Start-up's companions, in order: the updater check, the candidate window, the converter, and
// the sentence service when its word libraries are installed.
void KEPLaunchStartupCompanions();

// The sentence service, when its word libraries are installed (start-up and every reload).
void KEPLaunchSentenceParser();

// The software updater, at each activation, when "AutoUpdate" is on.
void KEPLaunchSoftwareUpdater();

// Called when a companion ("<Name>.app") could not be reached: a send failed or it exited.
// When its program no longer runs it is started again, at most once per
// kCompanionRestartInterval per program, and the restart is logged; the sentence service only
// where its word libraries are installed. A program that runs but does not answer (busy,
// stopped) is left alone. true when the program runs now: it did, or it was started again.
inline constexpr std::chrono::seconds kCompanionRestartInterval{3};
bool KEPCompanionGone(std::string_view app_name);

// The window, the converter and the sentence service this server launched: each one that has
// ended is started again through KEPCompanionGone (one whose interval has not passed yet, at a
// later check). The server calls it from a run-loop timer.
inline constexpr std::chrono::seconds kCompanionCheckInterval{2};
void KEPCheckLaunchedCompanions();

}  // namespace imkkep
