// The server's start-up of the engine, in the order the server needs: its own state, the data
// folder, the splitter, the default settings file, the shipped tables and the per-user
// counters. Dictionaries and user phrases wait for the first activation's reload.
#include <filesystem>
#include <string>
#include <system_error>

#include "CoreSource/base/config.h"
#include "CoreSource/base/datafolder.h"
#include "CoreSource/base/freq.h"
#include "CoreSource/base/imelog.h"
#include "CoreSource/dict/dictpool.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/split/py_splitter.h"
#include "CoreSource/tables/hzfreq.h"
#include "CoreSource/tables/hzinfo.h"
#include "CoreSource/tables/pytable.h"
#include "CoreSource/tables/suggestion.h"
#include "CoreSource/user/imeuser2.h"
#include "IMKKEP/companions/KEPCompanions.h"
#include "IMKKEP/engine/KEPConvertEngine.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/server_state.h"

namespace imkkep {

int kUDBNeedsReload = 1;

namespace {

namespace fs = std::filesystem;

bool exists(const std::string& path) {
  std::error_code error;
  return fs::exists(path, error);
}

std::string shipped_resource(const char* name) {
  char path[512];
  if (ime_get_resource_filename(name, path) != 0 || !exists(path)) return {};
  return path;
}

// Nothing of an earlier start survives: no settings, user phrases or dictionaries, and the
// scheme is chosen afresh at the first activation.
void reset_engine_globals() {
  kIMEConfigureDictionary = nullptr;
  ime_udb_free();
  ime_close_phrase();
  ime_page_size = 6;
  ime_hzfreq_val = 9;
  ime_mode = -1;
  ime_candidate_fcolor[0] = '\0';
  ime_candidate_bcolor[0] = '\0';
}

int copy_default_settings(const std::string& folder) {
  if (exists(folder + "/imkkep.plist")) return 0;
  std::string shipped = shipped_resource("!imkkep.plist");
  if (shipped.empty() || QACopyFile(shipped.c_str(), folder.c_str()) != 0) {
    KEPLogAlways("Copy default configure file failed!");
    return -1;
  }
  return 0;
}

// The hanzi counters belong to one hanzi database: a user's hzdb.info that is missing or
// differs from the shipped one starts them afresh (the engine does the reset).
void check_hanzi_database_version(const std::string& folder) {
  std::string user_info = folder + "/hzdb.info";
  bool user_has_info = exists(user_info);
  std::string shipped = shipped_resource("!hzdb.info");
  if (shipped.empty()) {
    KEPLog(user_has_info ? "No hzdb.info found in the package resource.."
                         : "No hzdb.info found in the package resource.");
    return;
  }
  if (!user_has_info) {
    KEPLog("hzdb.info not exists. Remove the hzfreq.db...");
  } else if (ime_read_version_line(user_info) != ime_read_version_line(shipped)) {
    KEPLog("hzdb.info has updated. Remove the hzfreq.db file...");
  }
  ime_sync_hzdb_version();
}

}  // namespace

int IMEInit() {
  kUpdateFlag = 1;
  KEPResetServerState();
  reset_engine_globals();

  if (ime_make_data_folder() != 0) {
    const char* folder = QAGetAppSupportPath();
    KEPLogAlways("Create directory '%s' failed!", folder != nullptr ? folder : "(no home folder)");
    return -1;
  }
  const std::string& folder = QAGetAppSupportPathString();
  QASplitter* splitter = QAGetPYSplitter();
  if (splitter->init(splitter) != 0) {
    KEPLogAlways("Initialize PY Splitter module failed!");
    return -2;
  }
  // From here on there is something for IMEExit to release.
  ime_system_inited = 1;
  KEPLog("TAV %s installed.", full_convert_installed() ? "is" : "is not");
  KEPLaunchStartupCompanions();
  copy_default_settings(folder);

  suggestted_mode = 0;
  ime_test_platform();
  if (ime_load_py() != 0) {
    KEPLogAlways("Load py failed!");
    return -1;
  }
  if (ime_load_py_ext() != 0) {
    KEPLogAlways("Load py ext failed!");
    return -1;
  }
  check_hanzi_database_version(folder);
  if (ime_load_hzfreq() != 0) {
    KEPLogAlways("Load hz freq object failed!");
    return -1;
  }
  ime_valid = 1;
  ime_load_suggestion();
  if (ime_load_hzdb() != 0) {
    KEPLogAlways("Load hanzi db failed!");
    return -1;
  }
  dict_needs_update = 1;
  kUDBNeedsReload = 1;
  return 0;
}

}  // namespace imkkep
