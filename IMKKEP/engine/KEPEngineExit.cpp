// Power-off: what the engine keeps in memory is written, then everything is released, in an
// order that leaves nothing pointing at what is gone.
#include <string>
#include <system_error>

#include "CoreSource/base/imelog.h"
#include "CoreSource/base/settings_keys.h"
#include "CoreSource/dict/dictpool.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/split/py_splitter.h"
#include "CoreSource/tables/accode.h"
#include "CoreSource/tables/hzfreq.h"
#include "CoreSource/tables/hzinfo.h"
#include "CoreSource/tables/pytable.h"
#include "CoreSource/tables/suggestion.h"
#include "CoreSource/tables/vmode.h"
#include "CoreSource/user/imeuser2.h"
#include "IMKKEP/engine/KEPConvertEngine.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/server_state.h"
#include "platform/workspace.h"

namespace imkkep {
namespace {

// The user leaves the server on a keyboard that types letters: the layout chosen in the
// settings, else the plain US one.
void switch_back_to_ascii_keyboard() {
  KEPLog("Current input source is '%s'.", kServerBundleIdentifier);
  const char* layout = ime_setting_string("KeyboardLayout");
  const std::string source = layout != nullptr && layout[0] != '\0' ? layout : "US";
  std::error_code error;
  if (!platform::workspace::select_input_source(source, error)) {
    KEPLogAlways("Get the current ASCII input source failed!");
    return;
  }
  KEPLog("ASCII input source is '%s'. Switch to this language input source.", source.c_str());
}

bool exit_lost_data = false;

}  // namespace

bool IMEExitLostData() { return exit_lost_data; }

void IMEExit() {
  if (!ime_system_inited) return;
  exit_lost_data = false;
  // The settings are gone once released.
  if (ime_setting_bool("AutoSwitchBack", ImeSettingReader::Server) != 0) {
    switch_back_to_ascii_keyboard();
  }
  IMEReleaseConfig();
  KEPLog("===> IMKKEP is quiting...");

  if (ime_save_suggestion() != 0) {
    KEPLogAlways("Save the chosen suggestions failed!");
    exit_lost_data = true;
  }
  ime_unload_hzdb();
  kConvsTable.clear();
  kAppState.clear();
  ime_release_acc();
  ime_close_phrase();

  KEPLog("===> Saving the UDB....");
  if (ime_udb_close() != 0) {
    // udb.lib is replaced whole or not at all, so the old file is still there for next time.
    KEPLogAlways("Save the user phrase db failed!: %s", ime_udb_write_error().c_str());
    exit_lost_data = true;
    ime_udb_free();
  }

  ime_unload_py();
  ime_unload_hzfreq();
  QAVModeRelease();
  QASplitter* splitter = QAGetPYSplitter();
  splitter->finalize(splitter);
  ime_current_convs = nullptr;
  ime_valid = 0;
  ime_system_inited = 0;
}

}  // namespace imkkep
