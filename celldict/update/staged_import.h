// Rebuilds an installed dictionary from a cell dictionary into its staging folder
// "<Dictionary>/__new__<name>", which the server swaps in at its next reload.
//
// The build runs under the dictionary's lock file (build_lock.h) in a private folder
// "<Dictionary>/..build.XXXXXX" that the builder holds an flock on, and only a complete folder
// is renamed to the staging name. A failed build removes its private folder and leaves the
// installed folder, an older staging folder and the lock file as they were.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace celldict::update {

struct ImportResult {
  enum class Status {
    Imported,       // the staging folder is complete, the lock file removed
    Refused,        // the name cannot be a dictionary's
    LoadFailed,     // the file is not a readable cell dictionary; nothing touched
    Busy,           // another builder holds the dictionary's lock; nothing touched
    ExportFailed,   // the build failed; the lock file stays
    StagingFailed,  // the private folder could not be made or put in place; the lock file stays
  };
  Status status = Status::Refused;
  std::int32_t load_status = 0;      // ScelReader::load's result
  std::vector<std::string> samples;  // the cell dictionary's sample words, once loaded

  bool imported() const { return status == Status::Imported; }
};

// Imports the cell dictionary at `scel_path` as the refreshed dictionary `name` (the installed
// folder's name) of `dictionary_folder`. One import builds at a time in a process.
ImportResult importDaruzCellFile(const std::filesystem::path& dictionary_folder,
                                 const std::filesystem::path& scel_path, const std::string& name);

// Removes the private build folders of builders that are gone (killed in the middle of a
// build): those whose flock nobody holds. Returns how many were removed.
int remove_abandoned_builds(const std::filesystem::path& dictionary_folder);

}  // namespace celldict::update
