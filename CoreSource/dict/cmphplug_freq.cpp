// Usage counts of code-table answers: table records count in the counter file, extra codes in
// their own freq column, which the query reads back as their score.
#include <sqlite3.h>

#include <cstdint>
#include <optional>

#include "base/freq.h"
#include "base/imelog.h"
#include "dict/cmphplug.h"
#include "record/engine_globals.h"

namespace {

// Only the table's own answers count: pinyin candidates after a fallback carry their own type.
bool counts_in_table(const ime_query_result_t* candidate) {
  return candidate != nullptr && candidate->type == IME_RESULT_OTHER && ime_mode == 2 &&
         ime_plug_mode != 1 && ime_plug_obj != nullptr;
}

bool is_extra_code(const ime_query_result_t* candidate) {
  return candidate->index > IME_PLUG_MAX_RECORD_INDEX;
}

// The counter row of a table record (record numbers fit an int: they are at most
// IME_PLUG_MAX_RECORD_INDEX).
int record_row(const ime_query_result_t* candidate) { return static_cast<int>(candidate->index); }

// Runs `sql` on the extra code the candidate shows: its code bound to ?1, its text to ?2, and
// `value`, when given, to ?3.
void update_extra_code(const ime_query_result_t* candidate, const char* sql,
                       std::optional<std::int64_t> value) {
  sqlite3* db = ime_plug_obj->extra_db;
  if (db == nullptr) return;
  // A code that fills the candidate's whole code field may have been cut to fit it; it would
  // name another extra code.
  if (candidate->plen >= IME_MAX_SYLLABLES || candidate->hlen >= IME_TEXT_BYTES) return;
  sqlite3_stmt* statement = nullptr;
  int rc = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_bind_text(statement, 1, candidate->sm, candidate->plen, SQLITE_STATIC);
  }
  if (rc == SQLITE_OK) {
    rc = sqlite3_bind_text(statement, 2, reinterpret_cast<const char*>(candidate->hz),
                           candidate->hlen, SQLITE_STATIC);
  }
  if (rc == SQLITE_OK && value) rc = sqlite3_bind_int64(statement, 3, *value);
  if (rc == SQLITE_OK) rc = sqlite3_step(statement);
  if (rc != SQLITE_DONE) IME_ERROR("Update ex db failed![%s]", sqlite3_errmsg(db));
  sqlite3_finalize(statement);
}

// A record's counter changes by `on_row`, an extra code's count by `extra_sql`.
template <typename OnRow>
void change_count(const ime_query_result_t* candidate, const char* extra_sql,
                  std::optional<std::int64_t> value, OnRow on_row) {
  if (!counts_in_table(candidate)) return;
  if (is_extra_code(candidate)) {
    update_extra_code(candidate, extra_sql, value);
  } else {
    on_row(ime_plug_obj->freq, record_row(candidate));
  }
}

}  // namespace

void ime_plug_inc_freq(const ime_query_result_t* candidate) {
  change_count(candidate, "update exdb set freq=freq+1 where key=?1 and val=?2", std::nullopt,
               QAFreqIncreaseValue);
}

void ime_plug_dec_freq(const ime_query_result_t* candidate) {
  change_count(candidate, "update exdb set freq=freq-1 where freq>=0 and key=?1 and val=?2",
               std::nullopt, QAFreqDecreaseValue);
}

void ime_plug_set_freq(const ime_query_result_t* candidate, std::uint32_t value) {
  change_count(candidate, "update exdb set freq=?3 where key=?1 and val=?2",
               static_cast<std::int32_t>(value),
               [value](QAFreq* freq, int row) { QAFreqSetValue(freq, row, value); });
}
