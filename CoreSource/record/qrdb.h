// Result lists: per conversation, seven growable arrays of small fixed-size entries that point
// at their source (a pinyin-table record, a dictionary record, a user phrase) instead of
// holding whole candidates; a full candidate is loaded from an entry only when it is needed
// (a page is cut, a sentence is composed). Results that have no source to point at (composed
// sentences, abbreviation and code-table strings) are kept whole in the conversation's result
// objects and their entries point there by position.
#pragma once

#include <cstdint>
#include <vector>

#include "record/conversation.h"

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
  std::uint8_t klass;    // type 1: the record's class digit, 0-9
  std::uint8_t spare[11];
};
static_assert(sizeof(ime_qrdb_entry_t) == 48, "entries are 48 bytes so large lists stay cheap");

struct ime_qrdb_t {
  ime_qrdb_entry_t* items;
  std::uint32_t capacity;
  std::uint32_t count;
};

// The conversation's result objects: whole candidates with `lazy` cleared, addressed by the
// `index` of their type-4 and type-6 entries.
struct ime_result_objects_t {
  std::vector<ime_query_result_t> items;
};

// List codes; 255 names all lists in ime_qrdb_reset.
inline constexpr int IME_QRDB_ALL = 255;

// Creates the conversation's seven lists and its result objects. 0, or -1 when memory is short
// (nothing is kept).
int ime_qrdb_init_all(ime_conversation_t* conversation);
// Frees every list of the conversation and its result objects.
void ime_qrdb_free_all(ime_conversation_t* conversation);
// One list: empty, room for 128 entries / its entries released. 0 or -1.
int ime_qrdb_init(ime_qrdb_t* list);
void ime_qrdb_free(ime_qrdb_t* list);

// The list of a code (1, 2, 3, 5, 6, 7, 8); NULL for any other code or a list not created.
ime_qrdb_t* ime_qrdb_db(ime_conversation_t* conversation, int code);
// Entries in the list; -1 for a bad code or a missing list.
int ime_qrdb_count(ime_conversation_t* conversation, int code);
// Empties one list, or every list and the result objects for IME_QRDB_ALL. 0 or -1.
int ime_qrdb_reset(ime_conversation_t* conversation, int code);
// Empties the result objects only. 0 or -1.
int ime_qrdb_reset_result(ime_conversation_t* conversation);
// Appends a copy of the entry. The new count; -1 for a bad code. When the list cannot grow the
// entry is dropped and the count stays.
int ime_qrdb_add(ime_conversation_t* conversation, int code, const ime_qrdb_entry_t* entry);
// Points `*out` at entry i. 0; -1 for a bad code or missing list; -2 for an index out of range.
int ime_qrdb_get_lazy(ime_conversation_t* conversation, int code, int i, ime_qrdb_entry_t** out);

// Loads entry i into a full candidate through its type's loader (single hanzi, dictionary word,
// user word; types 4 and 6 copy their result object). 0; -1 for a bad code, a missing list, an
// index out of range or an entry its loader cannot read; -2 for an entry of any other type.
int ime_qrdb_get(ime_conversation_t* conversation, int code, int i, ime_query_result_t* out);

// Appends every entry of list `from` to list `to`. 0, or -1 for a bad code or short memory.
int ime_qrdb_copy(ime_conversation_t* conversation, int to, int from);

// Sorts a list in place. Code-table scheme (ime_mode 2 while ime_plug_mode is not 1): larger
// freq first, nothing else. Otherwise: type-6 results before other types; then more syllables
// first, except that with extended search (ime_fill_count) an entry covering exactly the
// remaining syllables (ime_current_pynum + 1) comes before longer ones; then larger matval,
// then larger freq. Entries equal under these keys keep their order. 0 or -1.
int ime_qrdb_sort(ime_conversation_t* conversation, int code);
// The sort's order of two entries: negative when `a` comes first, positive when `b` does.
int ime_qrdb_compare(const ime_qrdb_entry_t* a, const ime_qrdb_entry_t* b);

// Keeps a copy of `result` (its `lazy` cleared) among the result objects and appends a type-6
// entry for it: freq 0, matval -2, no syllables. The new count, or -1.
int ime_qrdb_add_result(ime_conversation_t* conversation, int code, const ime_query_result_t* result);
// The same, the entry taking freq, matval (top bit cleared) and syllable count from the result.
int ime_qrdb_add_result2(ime_conversation_t* conversation, int code, const ime_query_result_t* result);

// The n tone bytes as one character each ("0"-"9", "a"-"f" for 10-15, "0" for anything else),
// for logs. The text lives in one buffer per thread, overwritten by the next call; n is held
// to the 60 syllables a candidate has.
const char* ime_tone_str(const std::uint8_t* tones, int n);

// The loaders ime_qrdb_get dispatches to: single hanzi (the pinyin queries), dictionary words
// (the dictionaries) and user words (the user phrase database). Each fills `record` from its entry; 0 or
// -1 when the entry's source cannot be read.
int ime_load_py_lazy(const ime_qrdb_entry_t* entry, ime_query_result_t* record);
int ime_load_ucz_lazy(const ime_qrdb_entry_t* entry, ime_query_result_t* record);
// Fills a candidate from a type-2 entry: syllables, tones, the text and its traditional form
// in UTF-8. A second form still to be computed ("*") is asked of the converter service when
// the current conversation is in traditional mode; without an answer, and in every other mode,
// the word itself stands in, never its placeholder stars. 0, or -1 when the record cannot be
// read or converted (the candidate is then partly filled and to be dropped).
int ime_load_cz_lazy(const ime_qrdb_entry_t* entry, ime_query_result_t* record);
