// Result lists: per conversation, seven growable arrays of small fixed-size entries that point
// at their source (a pinyin-table record, a dictionary record, a user phrase) instead of
// holding whole candidates; a full candidate is loaded from an entry only when it is shown.
//
// This is the part of the result-list module the dictionary queries need: the entry, the
// lists, and adding, counting, resetting and reading entries.
#pragma once

#include <cstdint>

#include "conversation.h"

// One entry, copied by value. The fields up to `matval` are read by the list code itself;
// the rest belong to the loader of the entry's type.
struct ime_qrdb_entry_t {
  std::uint8_t type;   // IME_RESULT_*
  std::uint8_t flag;   // type 1: matched by initial only
  std::uint8_t plen;   // syllables of the entry
  std::uint8_t rplen;  // type 2: typed syllables of the query span
  std::int32_t dbid;   // type 2: the caller's number of the dictionary
  void* source;        // the table, dictionary or item the entry points into
  std::int32_t freq;   // first sort key
  std::int32_t index;  // type 1: hanzi index; type 2: word number; types 4, 6: result object
  std::int32_t matval; // second sort key
  std::uint32_t offset;  // types 1, 2: record offset in the source file
  std::uint32_t size;    // types 1, 2: record size
  std::uint8_t spare[12];
};
static_assert(sizeof(ime_qrdb_entry_t) == 48, "entries are 48 bytes so large lists stay cheap");

struct ime_qrdb_t {
  ime_qrdb_entry_t* items;
  std::uint32_t capacity;
  std::uint32_t count;
};

// List codes; 255 names all lists in ime_qrdb_reset.
inline constexpr int IME_QRDB_ALL = 255;

// Creates the conversation's seven lists. 0, or -1 when memory is short (nothing is kept).
int ime_qrdb_init_all(ime_conversation_t* conversation);
// Frees every list of the conversation.
void ime_qrdb_free_all(ime_conversation_t* conversation);
// One list: empty, room for 128 entries / its entries released. 0 or -1.
int ime_qrdb_init(ime_qrdb_t* list);
void ime_qrdb_free(ime_qrdb_t* list);

// The list of a code (1, 2, 3, 5, 6, 7, 8); NULL for any other code or a list not created.
ime_qrdb_t* ime_qrdb_db(ime_conversation_t* conversation, int code);
// Entries in the list; -1 for a bad code or a missing list.
int ime_qrdb_count(ime_conversation_t* conversation, int code);
// Empties one list, or every list for IME_QRDB_ALL. 0 or -1.
int ime_qrdb_reset(ime_conversation_t* conversation, int code);
// Appends a copy of the entry. The new count; -1 for a bad code. When the list cannot grow the
// entry is dropped and the count stays.
int ime_qrdb_add(ime_conversation_t* conversation, int code, const ime_qrdb_entry_t* entry);
// Points `*out` at entry i. 0; -1 for a bad code or missing list; -2 for an index out of range.
int ime_qrdb_get_lazy(ime_conversation_t* conversation, int code, int i, ime_qrdb_entry_t** out);
