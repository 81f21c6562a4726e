// The input-method server IMKKEP: the engine, the server's message port and the input-method
// connection, served from one run loop until power-off.
#include <signal.h>

#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "CoreSource/base/imelog.h"
#include "IMKKEP/app/KEPAppDelegate.h"
#include "IMKKEP/engine/KEPConvertEngine.h"
#include "IMKKEP/controller/KEPInputController.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/server_state.h"
#include "platform/bundle.h"
#include "platform/imk/input_method.h"
#include "platform/runloop.h"
#include "platform/ui/control_server.h"

namespace {

constexpr const char* kDefaultConnectionName = "KEPInputConnectionName";

std::string connection_name() {
  std::optional<platform::Bundle> bundle = platform::Bundle::find(imkkep::kServerBundleIdentifier);
  const platform::plist::Value* name =
      bundle ? bundle->info().find("InputMethodConnectionName") : nullptr;
  return name != nullptr && name->is_string() ? *name->as_string() : kDefaultConnectionName;
}

}  // namespace

int main() {
  using namespace imkkep;
  // A file-size limit below udb.lib's size would otherwise kill the server at the next learned
  // phrase; ignored, the write fails with EFBIG and is logged. Programs it starts get the
  // default back (platform::process::launch).
  ::signal(SIGXFSZ, SIG_IGN);
  KEPSetEngineResources();
  KEPReadLogFlag();
  ime_log_func = MyLogFunc;

  platform::RunLoop loop;
  // The name is claimed before the engine starts, so a second server leaves the user's files
  // alone. No client is served before the loop runs, by which time the engine is up.
  std::string name = connection_name();
  KEPInputMethod method;
  std::error_code error;
  std::unique_ptr<platform::imk::Server> server =
      platform::imk::Server::create(name, method, loop, error);
  if (!server) {
    KEPLogAlways("The input method connection '%s' cannot be served: %s", name.c_str(),
                 error.message().c_str());
    return 1;
  }
  std::unique_ptr<KEPConvertEngine> engine = KEPConvertEngine::create(loop);
  kConvertEngine = engine.get();
  KEPAppDelegate& delegate = KEPAppDelegate::shared();
  delegate.registerObservers(loop);
  // The server's own windows answer the control port like every program's with windows.
  std::unique_ptr<platform::ui::ControlServer> controls =
      platform::ui::ControlServer::create("IMKKEP", loop, error);
  if (!controls) {
    KEPLogAlways("The windows' control port cannot be served: %s", error.message().c_str());
  }
  delegate.createWindows(loop, controls ? &controls->windows() : nullptr);

  loop.on_power_off([&] {
    // The controllers go first: nothing may reach the engine once it is released.
    server.reset();
    delegate.systemShutdown();
    loop.stop();
  });
  loop.run();
  delegate.destroyWindows();
  controls.reset();
  delegate.unregisterObservers();
  engine.reset();
  kConvertEngine = nullptr;
  return IMEExitLostData() ? 1 : 0;
}
