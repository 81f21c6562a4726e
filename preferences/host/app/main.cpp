// IMKKEPPreferences: the settings window the input menu opens. One copy runs at a time; a
// second start brings the first one's window forward and exits.
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

#include "platform/bundle.h"
#include "platform/ports.h"
#include "platform/runloop.h"
#include "platform/ui/control_server.h"
#include "preferences/host/prefs_controller.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

preferences::IMKPreferencesController* g_controller = nullptr;
platform::RunLoop* g_loop = nullptr;

void log_message(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", preferences::kProgramName, message.c_str());
}

// Asks the copy that runs to show its window; true when it answered.
bool show_running_copy() {
  std::error_code error;
  auto remote = platform::ports::RemotePort::open(
      platform::ui::control_port_name(preferences::kProgramName), error);
  if (!remote) return false;
  auto reply = remote->send(1, std::string("show ") + preferences::kPreferencesWindowName, 5s, 5s);
  return reply.status == platform::ports::SendStatus::Success && reply.data &&
         *reply.data == platform::ui::kControlOk;
}

}  // namespace

void kep_preferences_restore_defaults() {
  if (g_controller != nullptr) g_controller->restoreToDefault();
}

platform::RunLoop* kep_preferences_run_loop() { return g_loop; }

platform::ui::UserDefaults* kep_preferences_user_defaults() {
  return g_controller != nullptr ? g_controller->prefsController().userDefaults() : nullptr;
}

int main() {
  ::signal(SIGXFSZ, SIG_IGN);
  std::error_code error;
  const fs::path exe = fs::read_symlink("/proc/self/exe", error);
  auto bundle = platform::Bundle::at(exe.parent_path().parent_path().parent_path());
  if (!bundle) {
    log_message("cannot read the program's own bundle beside " + exe.string());
    return 1;
  }
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') {
    log_message("HOME is not set to an absolute path");
    return 1;
  }

  platform::RunLoop loop;
  g_loop = &loop;
  loop.on_power_off([&loop] { loop.stop(); });
  auto control = platform::ui::ControlServer::create(preferences::kProgramName, loop, error);
  if (!control) {
    if (error == std::errc::address_in_use) {
      if (show_running_copy()) return 0;
      log_message("another copy runs but did not show its window");
      return 1;
    }
    log_message("cannot serve the control port: " + error.message());
    return 1;
  }

  preferences::IMKPreferencesController::Paths paths;
  paths.settingsFolder = fs::path(home) / "Library/KEP";
  if (auto server = platform::Bundle::find("com.corvana.inputmethod.IMKKEP")) {
    paths.shippedSettings = server->resource("imkkep.plist");
  }
  const char* debug = std::getenv("KEP_PREFERENCES_DEBUG");
  preferences::IMKPreferencesController controller(
      control->windows(), loop, *bundle, paths, log_message, [&loop] { loop.stop(); });
  g_controller = &controller;
  bool shown = controller.awakeFromNib(debug != nullptr && std::string(debug) == "1");
  if (shown) loop.run();
  g_controller = nullptr;
  g_loop = nullptr;
  return shown ? 0 : 1;
}
