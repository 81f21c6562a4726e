// The engine host of the input-method server: brings the engine up on the server's data,
// keeps its settings and dictionaries current at each activation, and brings it down at
// power-off. Everything here runs on the server's run-loop thread.
#pragma once

#include <functional>
#include <memory>

#include "platform/runloop.h"

namespace imkkep {

class KEPConvertEngine {
 public:
  // Starts the engine (IMEInit), then serves the server's own port on `loop`. nullptr, after
  // logging "Init the engine failed!", when the engine did not start: the server then passes
  // every key on to its client.
  static std::unique_ptr<KEPConvertEngine> create(platform::RunLoop& loop);
  ~KEPConvertEngine();
  KEPConvertEngine(const KEPConvertEngine&) = delete;
  KEPConvertEngine& operator=(const KEPConvertEngine&) = delete;

 private:
  KEPConvertEngine() = default;
};

// 1 while the user phrase database is to be read again at the next reload (at start, and
// after another program rewrote it).
extern int kUDBNeedsReload;

// Start-up: 0, -1 (a folder, table or file failed) or -2 (the pinyin splitter failed); each
// failure is logged. Dictionaries and user phrases are left to the first reload.
int IMEInit();
// Reads imkkep.plist of the data folder (copying the default there first when it is missing)
// unless its modification date is the one last read. 0.
int IMEConfigLoad();
// At each activation: settings, punctuation, page keys, pending dictionaries and user phrases.
// 0, or -1 when the dictionaries or the user phrases could not be opened (the rest applies).
int IMEReload();
// Runs near the end of each reload that opened the user phrases, so that what shows the
// settings (the accessory panel's lists) reads them again; nullptr for nothing. The engine host
// knows nothing of the windows, whose owner sets this.
void KEPSetReloadListener(std::function<void()> listener);
// Moves every finished staging folder "__new__<name>" of the Dictionary folder into the place
// of the dictionary "<name>"; a folder whose build still holds its lock ".<name>" waits. 0, or
// -2 when the Dictionary folder cannot be read.
int IMEUpdateDaruzDict();
// Drops the settings; the next IMEConfigLoad reads the file again.
void IMEReleaseConfig();
// Power-off: writes the chosen suggestions and the user phrases and releases the engine. Only
// the first call after a start does anything. A write that fails is logged with its reason.
void IMEExit();
// Whether the last IMEExit failed to write what the engine kept, so that the server does not
// end as if all went well.
bool IMEExitLostData();

// Points the engine's resource lookup at the server bundle (default settings, V-mode table),
// then at the engine's own shipped tables. 0, or -1 when the folder cannot be named.
int KEPSetEngineResources();
// Sets _log_flag from the file "__debug" in the data folder.
void KEPReadLogFlag();
// The engine's log hook: its error lines always join the server's log, the others only while
// _log_flag is set.
void MyLogFunc(const char* line);

}  // namespace imkkep
