// The key index (".idx") of a code table.
//   version 20: an SQLite database, table plugdb(key char(12), loc INTEGER) with the index
//               ix_plugdb on key, one row per run of equal codes;
//   version 10: a CHM minimal perfect hash (CMPH's dump) over the key list, order-preserving,
//               so the i-th key hashes to i, its slot in the data file's offset table.
#pragma once

#include <string>
#include <vector>

#include "table_data.h"

namespace codetable {

// Writes the SQLite index into the empty or new file `path`. The failure texts are the ones
// the pane shows: "Open index database failed!", "Create index table failed![...]",
// "Create index table ix object failed![...]", "Insert '%s' to plug index failed![...]".
bool WriteSqlIndex(const std::string& path, const std::vector<KeyOffset>& runs, std::string* error);

// Builds the CHM hash over the keys, checks that it numbers them in order, and dumps it into
// `path`. false with the reason.
bool WriteChmIndex(const std::string& path, const std::vector<KeyOffset>& keys, std::string* error);

}  // namespace codetable
