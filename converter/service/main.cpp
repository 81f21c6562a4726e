// IMKKEPSimp2TradConverter: the background service that converts simplified Chinese to
// traditional for the input method, on the port KEPCCServerPort. SIGTERM ends it.
//
//   IMKKEPSimp2TradConverter [--resources DIR]
#include <cstdio>
#include <cstring>

#include "converter/cclog.h"
#include "converter/service/qcc_controller.h"
#include "converter/service/qcc_service.h"
#include "converter/service/resources_folder.h"
#include "platform/runloop.h"

int main(int argc, char** argv) {
  std::optional<std::filesystem::path> resources;
  if (argc == 3 && std::strcmp(argv[1], "--resources") == 0) {
    resources = std::filesystem::path(argv[2]);
  } else if (argc != 1) {
    std::fprintf(stderr, "usage: %s [--resources DIR]\n", argv[0]);
    return 2;
  } else {
    resources = find_resources_folder();
    if (!resources) {
      converter::cclog("Cannot find the tables (han.db) of %s.", kConverterBundleIdentifier);
      return 1;
    }
  }

  platform::RunLoop loop;
  // Before the port exists, so that a SIGTERM from anyone who already saw the port is
  // always a clean power-off.
  loop.on_power_off([&loop] { loop.stop(); });
  QCCController controller(*resources, loop);
  if (!controller.awakeFromNib()) return 1;
  converter::cclog("Serving %s.", kQCCServerPortName);
  loop.run();
  QCCShutdown();
  kConverterHandler.reset();
  return 0;
}
