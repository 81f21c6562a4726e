// Rebuilds a dictionary from a cell dictionary, by default into its staging folder
// "<Dictionary>/__new__<name>", which the server swaps in at its next reload; the dictionary
// pane also builds new dictionaries straight into their installed folder "<Dictionary>/<name>".
//
// The build runs under the dictionary's lock file (build_lock.h) in a private folder
// "<Dictionary>/..build.XXXXXX" that the builder holds an flock on, and only a complete folder
// is renamed to its destination. A failed or stopped build removes its private folder and
// leaves the installed folder and an older staging folder as they were.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class ScelReader;

namespace celldict {
class ProgressReporter;
}

namespace celldict::update {

struct ImportResult {
  enum class Status {
    Imported,       // the destination is complete, the lock file removed
    Refused,        // the name cannot be a dictionary's
    LoadFailed,     // the file is not a readable cell dictionary; nothing touched
    Busy,           // another builder holds the dictionary's lock; nothing touched
    ExportFailed,   // the build failed
    StagingFailed,  // the private folder could not be made or put in place
    Stopped,        // the reporter asked to stop; nothing built, the lock file removed
  };
  Status status = Status::Refused;
  std::int32_t load_status = 0;      // ScelReader::load's result
  std::vector<std::string> samples;  // the cell dictionary's sample words, once loaded

  bool imported() const { return status == Status::Imported; }
};

struct ImportOptions {
  enum class Destination {
    Staging,    // "__new__<name>", replacing a staging folder not swapped in yet
    Installed,  // "<name>" itself; an existing folder of that name is swapped out only at the end
  };
  Destination destination = Destination::Staging;
  // Hears the build's progress and may stop it. May be null.
  ProgressReporter* reporter = nullptr;
  // The background updater keeps the lock file of a failed staging build, so the server keeps
  // away from that dictionary's staging folder until a build succeeds; the pane removes it.
  bool keep_lock_after_failure = false;
};

// Imports the cell dictionary at `scel_path` as the refreshed dictionary `name` (the installed
// folder's name) of `dictionary_folder`, into the staging folder, keeping the lock file of a
// failed build (the background updater's way). One import builds at a time in a process.
ImportResult importDaruzCellFile(const std::filesystem::path& dictionary_folder,
                                 const std::filesystem::path& scel_path, const std::string& name,
                                 ProgressReporter* reporter = nullptr);

// The same with the destination and the lock's fate chosen.
ImportResult importDaruzCellFile(const std::filesystem::path& dictionary_folder,
                                 const std::filesystem::path& scel_path, const std::string& name,
                                 const ImportOptions& options);

// The same from a reader whose load() succeeded (the pane shows the header first). The reader
// is used up: its file is closed afterwards either way.
ImportResult importLoadedCellDict(ScelReader& reader, const std::filesystem::path& dictionary_folder,
                                  const std::string& name, const ImportOptions& options);

// Removes the private build folders of builders that are gone (killed in the middle of a
// build): those whose flock nobody holds. Returns how many were removed.
int remove_abandoned_builds(const std::filesystem::path& dictionary_folder);

}  // namespace celldict::update
