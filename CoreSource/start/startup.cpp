#include "start/startup.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "base/datafolder.h"
#include "base/freq.h"
#include "base/imelog.h"
#include "dict/dictpool.h"
#include "record/engine_globals.h"
#include "split/py_splitter.h"
#include "start/config_reload.h"
#include "tables/accode.h"
#include "tables/hzfreq.h"
#include "tables/hzinfo.h"
#include "tables/pytable.h"
#include "text/punct.h"
#include "user/imeuser2.h"

namespace {

// One table load of the start-up sequence, in the order it runs.
struct TableStep {
  int (*load)();
  const char* loaded;
  const char* failed;
};

constexpr TableStep kTableSteps[] = {
    {ime_load_py, ">Pinyin table loaded.", "Load py failed!"},
    {ime_load_py_ext, ">Pinyin extension table loaded.", "Load py ext failed!"},
    {ime_udb_open, ">User phrase db loaded.", "ime_udb_open() failed!"},
    {ime_load_punct, ">Punct. table loaded.", "Load punct config failed!"},
};

// Why the last ime_init stopped: its ERROR line, kept for hosts whose log could not be written.
std::string failure;

int fail(int result, std::string reason) {
  IME_ERROR("%s", reason.c_str());
  failure = std::move(reason);
  return result;
}

// Whether the last ime_init got through. A failed start is tried again by the next call
// instead of being reported as a success.
bool started = false;

void release_tables() {
  ime_close_phrase();
  ime_unload_hzdb();
  ime_unload_py();
  ime_release_acc();
  ime_unload_hzfreq();
}

}  // namespace

const char* ime_init_failure() { return failure.c_str(); }

int ime_init() {
  if (ime_system_inited && started) return 0;
  suggestted_mode = 0;
  ime_log_func = _ime_log_func;
  IME_DEBUG("ime_init() ...[%d]", ime_system_inited);
  failure.clear();

  if (ime_set_default_resources() != 0) return fail(-1, "The default resource folder cannot be named!");
  if (ime_make_data_folder() != 0) {
    const char* folder = QAGetAppSupportPath();
    return fail(-1, std::string("Create directory '") + (folder != nullptr ? folder : "(no home folder)") + "' failed!");
  }
  QASplitter* splitter = QAGetPYSplitter();
  if (splitter->init(splitter) != 0) return fail(-2, "Initialize PY Splitter module failed!");

  IME_DEBUG("The intelligent input module is %s!",
            full_convert_installed() ? "installed" : "not installed");
  ime_mode = 0;
  IME_DEBUG("Initialize the KEP startup routine. Debug level=%d.", ime_init_debug_level());

  ime_system_inited = 1;
  release_tables();
  ime_page_size = 6;
  ime_hzfreq_val = 9;
  ime_candidate_fcolor[0] = '\0';
  ime_candidate_bcolor[0] = '\0';
  static bool exit_registered = false;
  if (!exit_registered) exit_registered = std::atexit(ime_exit) == 0;
  IME_DEBUG(">Configure file loaded.");
  ime_test_platform();

  for (const TableStep& step : kTableSteps) {
    if (step.load() != 0) return fail(-1, step.failed);
    IME_DEBUG("%s", step.loaded);
  }

  ime_sync_hzdb_version();
  IME_DEBUG("loading freq information.. ");
  if (ime_load_hzfreq() != 0) return fail(-1, "Load hz freq object failed!");
  IME_DEBUG(">Freq. information loaded.");

  ime_valid = 1;
  // The settings reach the engine's globals only now: the reload may load the accessory table
  // and reads the V-mode tables, which need the data folder and resources set up above.
  ime_config_reload();
  if (ime_load_hzdb() != 0) return fail(-1, "Load hzdb failed!");
  IME_DEBUG("KEP initialize successed.");
  started = true;
  return 0;
}

void ime_exit() {
  if (!ime_system_inited) return;
  release_tables();
  // The phrases' use counts change in memory only; they reach udb.lib here.
  if (ime_udb_close() != 0) IME_ERROR("Save the user phrase db failed!");
  QASplitter* splitter = QAGetPYSplitter();
  splitter->finalize(splitter);
  ime_valid = 0;
  ime_system_inited = 0;
  started = false;
}
