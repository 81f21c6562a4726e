// The user phrase database: the multi-syllable phrases the user has committed, offered again as
// candidates of their own (user words). They live in udb.lib in the data folder, are read once
// per process, searched on every pinyin query and written back after every change.
//
// Several programs of the system link the engine, so udb.lib is only read or written under an
// exclusive lock (on udb.lib.lock beside it), and a write first reads the file again and merges: phrases another process
// added or removed since are kept so, and this process's own additions, removals and changed
// counts go on top. The file is replaced as a whole (a new file renamed over it), so a reader
// never sees half a write and a failed write leaves the old file, and the phrases in memory,
// as they were.
#pragma once

#include <sys/time.h>

#include <cstddef>
#include <string>
#include <vector>

#include "record/conversation.h"
#include "record/qrdb.h"
#include "user/udb_item.h"

// 1 while the database is in memory.
extern int ime_udb_loaded;
// Changes (additions, removals) since the database was loaded.
extern int ime_udb_changed;

// Loads udb.lib from the data folder unless the database is loaded; a missing file is created
// empty. Malformed lines, and lines whose text is not UTF-8 or holds control bytes, are
// skipped (logged). When udb.lib or its folder is not writable, or the file cannot be read,
// the database is loaded read-only (what could be read is offered, nothing is learned) and
// that is logged once. 0, or -1 when there is no data folder (logged); the database then
// stays not loaded and queries find nothing.
int ime_udb_open();

// Adds to result list `list_code` a user-word entry (type 3) for every phrase matching the
// conversation's syllables first..end, for each end from `last` down to first + 1: same folded
// initials, every syllable accepted (ime_udb_valid), every typed tone found in the phrase's
// tone mask (a phrase without a known tone matches any), and the accessory letters when typed.
// The entry's source is the UDBItem; freq 30000; matval the ranking half of its frequency.
// Sets bit 0 of ime_am_flag when a phrase spans the whole first..last. A negative list code
// only counts. Returns the number of matches.
int ime_udb_query(ime_conversation_t* conversation, int first, int last, int list_code);
// 1 when every typed syllable first..first + n - 1 accepts the phrase's syllable at the same
// place (fuzzy pinyin as configured), else 0.
int ime_udb_valid(const ime_conversation_t* conversation, int first, int last, const UDBItem* item);

// Adds the phrase of a candidate (sm, ym, tone, plen; hz/hlen; thz/thlen, the text standing in
// when there is no second form) and writes udb.lib. Loads the database first when needed.
// 0; -1 when the phrase cannot be stored (fewer than 2 or more than 30 syllables, a text
// length out of range, a text that is not UTF-8 or holds control characters, syllable codes
// that are not printable), the database cannot be loaded or is read-only;
// -2 when it was added in memory but udb.lib could not be written (the next write takes it).
int ime_udb_add(const ime_query_result_t* record);
// Removes the phrase behind a user-word candidate (its lazy entry's item, else the first phrase
// equal to it) and writes udb.lib. 0; -1 when no such phrase is held or the database is
// read-only; -2 when it was removed in memory but udb.lib could not be written.
int ime_udb_remove(const ime_query_result_t* record);
// Writes the database to udb.lib, keeping it in memory. 0 (also for a read-only database,
// which is never written); -1 when nothing is loaded or the file cannot be written (logged,
// ime_udb_write_error; the phrases stay in memory for the next write).
int ime_udb_refresh();
// Writes the database, then releases it. 0 also when nothing is loaded; -1 when the write
// fails, in which case the database stays in memory.
int ime_udb_close();
// Why the loaded database is read-only (it is then never written); empty when it is writable
// or nothing is loaded.
std::string ime_udb_read_only_reason();
// Why the last write of the loaded database failed (the path and the system's reason); empty
// when it succeeded or nothing is loaded.
std::string ime_udb_write_error();
// Releases the database without writing. 0. Result-list entries of user words must be gone.
int ime_udb_free();

// Fills a candidate from a user-word entry: type 3, syllables, initials, finals, tones, both
// texts, lazy = the entry, freq 30000, matval the entry's. 0, or -1 for an entry that is not a
// user word.
int ime_load_ucz_lazy(const ime_qrdb_entry_t* entry, ime_query_result_t* record);

// The phrases in memory, key by key in key order; for tools and tests.
std::vector<const UDBItem*> ime_udb_items();

// The seconds from `start` to `end` as "%.6f", in one static buffer overwritten by the next call.
const char* ime_gettimeresult(struct timeval start, struct timeval end);
// A NUL-terminated malloc'd copy of `length` bytes; NULL for NULL bytes, a zero length or short
// memory.
char* mstrdup(const char* bytes, std::size_t length);
