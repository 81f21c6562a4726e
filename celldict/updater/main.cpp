// KepCellDictUpdater: the background program that keeps the user's cell dictionaries up to
// date. The server starts it and stops it with the distributed notification SHUTDOWN; it also
// ends at SIGTERM (power-off).
#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "celldict/update/update_log.h"
#include "celldict/updater/updater_controller.h"
#include "celldict/updater/updater_settings.h"
#include "platform/bundle.h"
#include "platform/notify.h"
#include "platform/runloop.h"
#include "platform/ui/control_server.h"
#include "platform/ui/user_defaults.h"

namespace {

namespace fs = std::filesystem;
using celldict::update::updlog;
using namespace kepcelldictupdater;

}  // namespace

int main() {
  ::signal(SIGXFSZ, SIG_IGN);  // a file-size limit fails a write instead of the program
  std::error_code error;
  const fs::path exe = fs::read_symlink("/proc/self/exe", error);
  std::optional<platform::Bundle> bundle = platform::Bundle::at(exe.parent_path().parent_path().parent_path());
  if (!bundle) {
    updlog("Cannot read the program's own bundle beside %s.", exe.c_str());
    return 1;
  }
  std::optional<platform::ui::UserDefaults> defaults = platform::ui::UserDefaults::open(kBundleIdentifier, error);
  if (!defaults) {
    updlog("Cannot open the program's settings: %s", error.message().c_str());
    return 1;
  }
  const UpdaterSettings settings = load_settings(*bundle, *defaults);

  platform::RunLoop loop;
  loop.on_power_off([&loop] { loop.stop(); });
  // The control port lets kep-ui reach the notice panel; without it the panel still writes its
  // files, so the program goes on.
  std::unique_ptr<platform::ui::ControlServer> control =
      platform::ui::ControlServer::create(kProgramName, loop, error);
  std::unique_ptr<platform::ui::WindowRegistry> own_windows;
  if (!control) {
    updlog("Cannot serve the control port: %s", error.message().c_str());
    own_windows = std::make_unique<platform::ui::WindowRegistry>();
  }
  std::unique_ptr<platform::notify::DistributedCenter> center =
      platform::notify::DistributedCenter::create(loop, error);
  if (!center) updlog("Cannot receive notifications: %s", error.message().c_str());

  KepCellDictUpdaterController controller(
      {loop, control ? control->windows() : *own_windows, &*bundle, nullptr, nullptr}, settings);
  if (!controller.awakeFromNib(center.get())) return 1;
  loop.run();
  return 0;
}
