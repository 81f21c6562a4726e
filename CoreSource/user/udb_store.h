// The user phrase database in memory, and how it is merged with what udb.lib holds when it is
// written. Internal to the user phrase database (imeuser2).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "user/udb_file.h"
#include "user/udb_item.h"

struct UdbDatabase {
  // The udb.lib this database was read from; it is always written back there, whatever the
  // data folder has become since.
  std::string path;
  // Folded initials -> the phrases with that key, in file order.
  std::map<std::string, std::vector<UDBItem*>> arrays;
  // Every phrase object made since loading. Phrases leave `arrays` when removed or merged
  // away, but their objects stay until the database is released, so result-list entries that
  // still point at them stay readable.
  std::vector<std::unique_ptr<UDBItem>> pool;
  // Phrases of the file removed here and not yet written: the next write removes them from
  // what the file holds then.
  std::vector<std::pair<std::string, UDBItem>> removed;
  // Why udb.lib is not written (it or its folder is not writable, or it could not be read):
  // the phrases are offered but nothing is learned. Empty when the database is written.
  std::string read_only_reason;
  // Why the last write failed; empty after a write that succeeded.
  std::string write_error;
};

// The database currently loaded; NULL when none.
extern UdbDatabase* ime_udb;

// Makes a phrase object owned by the database.
UDBItem* ime_udb_new_item(UdbDatabase* db, const UDBItem& value);
// Marks the item as just read from or written to the file.
void ime_udb_mark_in_file(UDBItem* item);

// Phrases counted in memory.
int ime_udb_count(const UdbDatabase* db);

// What `db` becomes when written over a file that holds `on_disk`: the file's phrases (with
// the counts this process did not change taken from the file), minus this process's removals,
// plus its phrases not yet in the file. Phrases the file no longer holds (removed elsewhere)
// are left out. `db` itself is not changed except for the file's counts.
std::map<std::string, std::vector<UDBItem*>> ime_udb_merge(UdbDatabase* db, std::vector<UdbLine>&& on_disk);

// Writes `db` to its file under the lock: reads the file again, merges, replaces the file, and
// only then takes the merged phrases as the database. 0, or -1 (logged, the reason in
// `db->write_error`) with `db` unchanged. A read-only database is never written: 0.
int ime_udb_save(UdbDatabase* db);
