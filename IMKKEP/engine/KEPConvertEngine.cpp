#include "IMKKEP/engine/KEPConvertEngine.h"

#include <filesystem>
#include <system_error>

#include "CoreSource/base/datafolder.h"
#include "CoreSource/base/imelog.h"
#include "IMKKEP/companions/KEPMessageReceive.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/server_state.h"

namespace imkkep {

std::unique_ptr<KEPConvertEngine> KEPConvertEngine::create(platform::RunLoop& loop) {
  if (IMEInit() != 0) {
    KEPLogAlways("Init the engine failed!");
    return nullptr;
  }
  KEPInitializeMessageReceiving(loop);
  return std::unique_ptr<KEPConvertEngine>(new KEPConvertEngine());
}

KEPConvertEngine::~KEPConvertEngine() { KEPCloseMessageReceiving(); }

int KEPSetEngineResources() {
  ime_bundle_name = kServerBundleIdentifier;
  return ime_set_default_resources();
}

void KEPReadLogFlag() {
  const std::string& folder = QAGetAppSupportPathString();
  std::error_code error;
  _log_flag = !folder.empty() && std::filesystem::exists(folder + "/__debug", error) ? 1 : 0;
}

void MyLogFunc(const char* line) {
  // An engine error is what the user or a supporter needs to hear about, switch or not.
  if (ime_log_line_is_error(line)) {
    KEPLogAlways("%s", line);
  } else {
    KEPLog("%s", line);
  }
}

}  // namespace imkkep
