// The version-20 key index. Every value reaches SQLite as a bound parameter, and all rows go in
// one transaction (one statement prepared once), so a large table is indexed in seconds.
#include <sqlite3.h>

#include "table_index.h"

namespace codetable {

namespace {

class Database {
 public:
  explicit Database(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
      sqlite3_close(db_);
      db_ = nullptr;
    }
  }
  ~Database() { sqlite3_close(db_); }
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  sqlite3* get() const { return db_; }
  // Runs a statement without parameters; false with SQLite's message in `message`.
  bool exec(const char* sql, std::string* message) const {
    char* text = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &text) == SQLITE_OK) return true;
    *message = text != nullptr ? text : sqlite3_errmsg(db_);
    sqlite3_free(text);
    return false;
  }

 private:
  sqlite3* db_ = nullptr;
};

bool insert_runs(const Database& db, const std::vector<KeyOffset>& runs, std::string* error) {
  sqlite3_stmt* insert = nullptr;
  if (sqlite3_prepare_v2(db.get(), "insert into plugdb values(?1, ?2)", -1, &insert, nullptr) != SQLITE_OK) {
    *error = std::string("Create index table failed![") + sqlite3_errmsg(db.get()) + "]";
    return false;
  }
  bool ok = true;
  for (const KeyOffset& run : runs) {
    sqlite3_bind_text(insert, 1, run.key.data(), static_cast<int>(run.key.size()), SQLITE_STATIC);
    sqlite3_bind_int64(insert, 2, run.offset);
    if (sqlite3_step(insert) != SQLITE_DONE) {
      *error = "Insert '" + run.key + "' to plug index failed![" + sqlite3_errmsg(db.get()) + "]";
      ok = false;
      break;
    }
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  return ok;
}

}  // namespace

bool WriteSqlIndex(const std::string& path, const std::vector<KeyOffset>& runs, std::string* error) {
  Database db(path);
  if (db.get() == nullptr) {
    *error = "Open index database failed!";
    return false;
  }
  std::string message;
  if (!db.exec("create table plugdb(key char(12), loc INTEGER)", &message)) {
    *error = "Create index table failed![" + message + "]";
    return false;
  }
  if (!db.exec("create index ix_plugdb on plugdb(key)", &message)) {
    *error = "Create index table ix object failed![" + message + "]";
    return false;
  }
  if (!db.exec("begin", &message)) {
    *error = "Create index table failed![" + message + "]";
    return false;
  }
  if (!insert_runs(db, runs, error)) return false;
  if (!db.exec("commit", &message)) {
    *error = "Create index table failed![" + message + "]";
    return false;
  }
  return true;
}

}  // namespace codetable
