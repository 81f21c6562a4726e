// Version-20 code tables: codes found through the SQLite key index, texts read from the mapped
// data file, boosted by their usage counters; then the user's extra codes.
//
// Typed codes reach SQLite only as bound parameters. An incomplete code or one with the wildcard
// key is a LIKE pattern, which ignores ASCII case ("A" finds the codes of "a"); a complete code
// is compared with "=", byte for byte.
#include <sqlite3.h>

#include <cstring>
#include <string>

#include "base/freq.h"
#include "base/imelog.h"
#include "dict/cmphplug_detail.h"
#include "dict/plugfmt.h"

namespace {

constexpr std::int64_t kFirstScore = 1000;
constexpr std::int64_t kCounterWeight = 100000;

// The part of a counter that ranks, as the frequency strategy keeps it.
std::int64_t counter_rank(std::uint32_t counter) {
  return ime_freq_mode == 0 ? (counter >> 24) & QAFREQ_CLASS_MAX : counter & QAFREQ_COUNT_MAX;
}

struct Pattern {
  std::string text;
  bool like = false;
};

// The escape of the LIKE patterns below; it appears in their statements as well.
constexpr char kLikeEscape = '\\';

// The typed code as an SQL value: the wildcard key becomes LIKE's one-character "_", a code key
// that LIKE would read as a pattern character ("%", "_", the escape) is escaped to stand for
// itself, and a prefix search ends in "%".
Pattern make_pattern(const char* code, int length, int* mode) {
  Pattern pattern;
  for (int i = 0; i < length; ++i) {
    const char c = code[i];
    if (ime_plug_any_char != 0 && c == ime_plug_any_char) {
      pattern.text.push_back('_');
      pattern.like = true;
      *mode = IME_PLUG_PREFIX;
    } else if (c == '%' || c == '_' || c == kLikeEscape) {
      pattern.text += kLikeEscape;
      pattern.text += c;
    } else {
      pattern.text.push_back(c);
    }
  }
  if (*mode == IME_PLUG_PREFIX && length < ime_plug_max_len) {
    pattern.text.push_back('%');
    pattern.like = true;
  }
  if (!pattern.like) pattern.text.assign(code, static_cast<std::size_t>(length));
  return pattern;
}

// Runs `sql` with the pattern bound to ?1 and hands every row to `row`. false on an SQL error,
// which is logged under `failure`.
template <typename Row>
bool for_each_row(sqlite3* db, const char* sql, const Pattern& pattern, const char* failure, Row row) {
  sqlite3_stmt* statement = nullptr;
  int rc = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_bind_text(statement, 1, pattern.text.data(), static_cast<int>(pattern.text.size()),
                           SQLITE_TRANSIENT);
  }
  while (rc == SQLITE_OK || rc == SQLITE_ROW) {
    rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW) row(statement);
  }
  const bool ok = rc == SQLITE_DONE;
  if (!ok) IME_ERROR("%s[%s]", failure, sqlite3_errmsg(db));
  sqlite3_finalize(statement);
  return ok;
}

struct Query {
  KEPPlugTable* table;
  ime_conversation_t* conversation;
  int list;
  int typed_length;
};

// One plugdb row: the run of records of `key` that starts at `loc`.
void AddSQLResult(const Query& query, const unsigned char* key, std::size_t key_length,
                  std::int64_t loc) {
  const KEPPlugTable* table = query.table;
  const auto* data = static_cast<const unsigned char*>(table->data.address);
  if (loc < static_cast<std::int64_t>(IME_PLUG_HEADER_BYTES) ||
      loc >= static_cast<std::int64_t>(table->records_end)) {
    IME_ERROR("Offset is out the size:[%lld,%zu]", static_cast<long long>(loc), table->records_end);
    return;
  }
  std::int64_t score = kFirstScore;
  std::size_t offset = static_cast<std::size_t>(loc);
  ime_plug_record_t record;
  for (;;) {
    const int status = ime_plug_read_record(data, table->records_end, offset, &record);
    if (status == IME_PLUG_RECORD_END) {
      IME_ERROR("The key length is:%d", data[offset]);
      break;
    }
    if (status != IME_PLUG_RECORD_OK) break;
    if (record.code_length != key_length || std::memcmp(record.code, key, key_length) != 0) break;
    // A record's counter lifts it and, as the score runs on, the records after it in the run.
    if (table->freq != nullptr && record.number < static_cast<std::uint32_t>(table->freq->rows)) {
      score += counter_rank(QAFreqGetValue(table->freq, static_cast<int>(record.number))) *
               kCounterWeight;
    }
    QACMPHPlugAddSQL(query.conversation, reinterpret_cast<const char*>(record.code),
                     static_cast<int>(record.code_length),
                     reinterpret_cast<const char*>(record.value),
                     static_cast<int>(record.value_length), query.typed_length, query.list,
                     record.number, score);
    if (score > 0) --score;
    offset = record.next;
  }
}

// One exdb row.
void AddSQLExResult(const Query& query, const unsigned char* key, std::size_t key_length,
                    const unsigned char* value, std::size_t value_length, std::int64_t freq) {
  if (key_length > IME_PLUG_MAX_CODE_BYTES || value_length == 0) return;
  const std::int64_t score = ime_freq_mode == 2 ? 0 : freq;
  QACMPHPlugAddSQL(query.conversation, reinterpret_cast<const char*>(key),
                   static_cast<int>(key_length), reinterpret_cast<const char*>(value),
                   static_cast<int>(value_length), query.typed_length, query.list,
                   IME_PLUG_EXTRA_INDEX, score);
}

std::size_t column_bytes(sqlite3_stmt* statement, int column) {
  const int n = sqlite3_column_bytes(statement, column);
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

}  // namespace

int ime_plug_query_sql(KEPPlugTable* table, int mode, const char* code, int length,
                       ime_conversation_t* conversation, int list) {
  IME_DEBUG("Query plug db with SQL ...[%.*s] mode=%d", length, code, mode);
  const Pattern pattern = make_pattern(code, length, &mode);
  const char* index_sql = pattern.like
                              ? "select key, loc from plugdb where key like ?1 escape '\\'"
                              : "select key, loc from plugdb where key = ?1";
  const char* extra_sql = pattern.like
                              ? "select key, val, freq from exdb where key like ?1 escape '\\'"
                              : "select key, val, freq from exdb where key = ?1";
  IME_DEBUG("Query stmt '%s' with '%s'.", index_sql, pattern.text.c_str());

  const Query query{table, conversation, list, length};
  for_each_row(table->index_db, index_sql, pattern, "Query plug db failed!",
               [&](sqlite3_stmt* row) {
                 const auto* key = sqlite3_column_text(row, 0);
                 if (key == nullptr) return;
                 AddSQLResult(query, key, column_bytes(row, 0), sqlite3_column_int64(row, 1));
               });
  if (table->extra_db != nullptr) {
    IME_DEBUG("Query appendix database...");
    for_each_row(table->extra_db, extra_sql, pattern, "Query ex db failed!",
                 [&](sqlite3_stmt* row) {
                   const auto* key = sqlite3_column_text(row, 0);
                   const auto* value = sqlite3_column_text(row, 1);
                   if (key == nullptr || value == nullptr) return;
                   AddSQLExResult(query, key, column_bytes(row, 0), value, column_bytes(row, 1),
                                  sqlite3_column_int64(row, 2));
                 });
  }
  return 0;
}
