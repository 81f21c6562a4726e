// The key index of a dictionary folder (dict_idx): the file Berkeley DB's ndbm interface keeps
// for the name "dict_idx", that is "dict_idx.db", a hash database with ndbm's page settings.
//
// It is opened through the DB API itself rather than through dbm_open: ndbm leaks its handle
// whenever an open fails and prints its errors on standard error, while here a damaged index is
// an ordinary error that goes to the engine log. The files are the same either way (a test
// reads ours back through ndbm).
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct __db;  // Berkeley DB's handle (DB)

namespace dictindex {

using Handle = struct __db;

// Opens an existing index "<base_path>.db" read-only; NULL when it is missing or no index.
// Berkeley DB trusts the offsets inside its pages, so an index from outside is checked page by
// page first (a damaged one gives NULL). The shipped system dictionary, written by the build
// and read back there, skips the check: it costs a read of the whole file and scratch space.
enum class Check { Verify, Trusted };
Handle* open_read(const std::string& base_path, Check check = Check::Verify);
// Creates the index (mode 0660), or opens it for writing when it exists. NULL on failure.
Handle* open_create(const std::string& base_path);
// Flushes and closes; false when the index could not be written out.
bool close(Handle* index);

// A copy of the value of `key`; nullopt when the key is absent (or the index unreadable).
std::optional<std::string> fetch(Handle* index, std::string_view key);

enum class StoreResult { Stored, Exists, Failed };
// Adds a key that must not exist yet.
StoreResult insert(Handle* index, std::string_view key, std::string_view value);
// Adds or overwrites.
StoreResult replace(Handle* index, std::string_view key, std::string_view value);

}  // namespace dictindex
