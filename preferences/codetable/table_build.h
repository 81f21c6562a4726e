// The code-table compiler: a source text becomes "<folder>/<name>.qdb" and "<folder>/<name>.idx".
//
// Both files are written aside (mkstemp) and moved into place only when both are complete, so
// a failed build, or one over an existing table, never leaves new data beside an old index.
// A successful rebuild drops "<name>.freq": its counters numbered the old records.
#pragma once

#include <string>
#include <string_view>

namespace codetable {

// Status keys the pane shows as localized texts.
inline constexpr const char* kStatusTag = "PLUG_STATUS_TAG";
inline constexpr const char* kStatusSort = "PLUG_STATUS_SORT";
inline constexpr const char* kStatusGenKeys = "PLUG_STATUS_GEN_KEYS";
inline constexpr const char* kStatusGenIdx = "PLUG_STATUS_GEN_IDX";
inline constexpr const char* kStatusAppKeys = "PLUG_STATUS_APP_KEYS";
inline constexpr const char* kStatusDone = "PLUG_STATUS_DONE";

// What a build tells its caller on the way; the pane forwards each call to its main thread.
class BuildObserver {
 public:
  virtual ~BuildObserver() = default;
  virtual void status(std::string_view /*key*/) {}
  virtual void set_progress_max(long long /*max*/) {}
  virtual void increment_progress(long long /*by*/) {}
  virtual void set_progress(long long /*value*/) {}
  // A text for the status field as it stands (not a key): what a build that succeeded left out.
  virtual void report(std::string_view /*text*/) {}
  // The build ended, well or not.
  virtual void stop() {}
  virtual void log(std::string_view /*line*/) {}
  // Asked between the build's steps (from the build's thread): true ends the build with
  // kStoppedText, the installed table untouched.
  virtual bool stop_requested() { return false; }
};

inline constexpr const char* kStoppedText = "Build stopped.";

// Builds version 20 (SQLite index, records in source order). 0, or -1 with the failure text in
// `error` (the text the pane's status field shows). A text longer than a candidate shows is left
// out, not the table: the build goes on without it and reports how many it left out and where.
int BuildSQLPlug(const std::string& source, const std::string& name, const std::string& folder,
                 BuildObserver* observer, std::string* error);

// Builds version 10 (CHM index, records sorted by code). 0 or -1 as above.
int BuildCMPHPlug(const std::string& source, const std::string& name, const std::string& folder,
                  BuildObserver* observer, std::string* error);

}  // namespace codetable
