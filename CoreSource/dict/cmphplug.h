// The code-table query: a compiled user code table (codes typed as keys, each standing for one
// or more texts) opened from its files and asked for the texts of a typed code, exactly, by
// prefix, or with a wildcard key standing for any one key. Answers become type-6 candidates in
// a result list of the conversation.
//
// A table is named by its scheme file ("<name>.pct"); its other files share the name:
//   .qdb   the data file (plugfmt.h)
//   .idx   version 20: SQLite table plugdb(key, loc), one row per run of equal codes, loc the
//          run's first record; version 10: a CHM minimal perfect hash over every code and
//          over "!!" + each first byte, whose value indexes the data file's offset table
//   .ex    version 20, optional: SQLite table exdb(key, val, freq), codes the user added
//   .freq  version 20: one usage counter per record number
#pragma once

#include <cmph.h>
#include <sqlite3.h>

#include <cstddef>
#include <cstdint>

#include "base/freq.h"
#include "base/tablefile.h"
#include "record/conversation.h"

struct KEPPlugTable {
  cmph_t* cmph;          // version 10: the key index
  ime_mmap_t data;       // the data file, mapped read-only
  sqlite3* index_db;     // version 20: the key index
  sqlite3* extra_db;     // version 20: the extra codes, when the table has them
  QAFreq* freq;          // version 20: the usage counters
  std::uint32_t tail;    // version 20: the row count; version 10: the offset table's position
  int version;           // 10 or 20
  std::size_t records_end;  // no record reaches past this offset
};

// Query modes of QACMPHPlugQuery.
enum {
  IME_PLUG_EXACT = 0,
  IME_PLUG_PREFIX = 1,
};

// Longest typed code a query takes.
inline constexpr int IME_PLUG_MAX_TYPED_BYTES = 32;
// `index` of the candidates that come from the extra codes; a table record's number is never
// above IME_PLUG_MAX_RECORD_INDEX.
inline constexpr std::uint32_t IME_PLUG_EXTRA_INDEX = 0x8000000;
inline constexpr std::uint32_t IME_PLUG_MAX_RECORD_INDEX = IME_PLUG_EXTRA_INDEX - 1;

// Set when the server selects a code table, from its scheme line.
extern KEPPlugTable* ime_plug_obj;  // the open table; NULL when none
extern char ime_plug_any_char;      // the wildcard key; 0 for none
extern int ime_plug_max_len;        // the table's longest code
extern int ime_plug_query_type;     // 0: prefix search, otherwise exact search
extern int ime_plug_show_left;      // the page shows the code letters still to type
extern int ime_plug_auto_fill;      // a full-length code with one answer commits it at once

// Closes the open table, stores the wildcard and the maximum length, and opens the table of
// the scheme file `path`. 0, or -1 when it cannot be opened (no table is open then).
int ime_plug_open(const char* path, char any_char, int max_len);
// Empties result list `list` and fills it with the open table's answers to the typed code
// (nothing for an empty code or when no table is open). 0; -1 for a missing conversation or
// list, or a code longer than IME_PLUG_MAX_TYPED_BYTES.
int ime_plug_query(ime_conversation_t* conversation, int list, const char* code, int length);
// Closes the open table. 0.
int ime_plug_close();

// Opens the table of the scheme file `path`; NULL (logged) when a file is missing, of another
// version, or does not hold together: every size, offset and count the query will use is
// checked here against the files.
KEPPlugTable* QACMPHPlugOpen(const char* path);
// Adds the answers to list `list` (mode IME_PLUG_PREFIX or IME_PLUG_EXACT; a wildcard in the
// code asks for a pattern). 0; failures on the way are logged and keep what was added.
int QACMPHPlugQuery(KEPPlugTable* table, int mode, const char* code, int length,
                    ime_conversation_t* conversation, int list);
void QACMPHPlugClose(KEPPlugTable* table);

// Adds one version-20 candidate: the text of the record or extra code `code`, answering a typed
// code of `typed_length` bytes, with its record number and its score. Both sort values are
// (|ime_plug_max_len - (code length - typed length)| x 10000 + score), capped to stay positive.
void QACMPHPlugAddSQL(ime_conversation_t* conversation, const char* code, int code_length,
                      const char* text, int text_length, int typed_length, int list,
                      std::uint32_t number, std::int64_t score);

// Usage counts of the open table's answers (type-6 candidates), for the frequency operations of
// candidate_freq.h: a record's row in the counter file (the frequency strategy's rules), or the
// extra code of that code and text (its freq column: one up, one down, or `value`). Nothing
// outside the code-table scheme, after a fallback to pinyin, without an open table, or for a
// row neither file holds.
void ime_plug_inc_freq(const ime_query_result_t* candidate);
void ime_plug_dec_freq(const ime_query_result_t* candidate);
void ime_plug_set_freq(const ime_query_result_t* candidate, std::uint32_t value);
