#include "extra_codes.h"

#include <sqlite3.h>
#include <sys/stat.h>

namespace codetable {

namespace {

class Connection {
 public:
  Connection(const std::string& path, int flags) {
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
      sqlite3_close(db_);
      db_ = nullptr;
    }
  }
  ~Connection() { sqlite3_close(db_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  sqlite3* get() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

bool run(sqlite3* db, const char* sql, const char* what, std::string* error) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
  if (error != nullptr) *error = std::string(what) + "[" + (message != nullptr ? message : sqlite3_errmsg(db)) + "]";
  sqlite3_free(message);
  return false;
}

bool exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

bool insert_all(sqlite3* db, const std::vector<ExtraCode>& codes, std::string* error) {
  sqlite3_stmt* insert = nullptr;
  if (sqlite3_prepare_v2(db, "insert into exdb values(?1, ?2, ?3)", -1, &insert, nullptr) != SQLITE_OK) {
    if (error != nullptr) *error = std::string("Insert extra code failed![") + sqlite3_errmsg(db) + "]";
    return false;
  }
  bool ok = true;
  for (const ExtraCode& code : codes) {
    sqlite3_bind_text(insert, 1, code.key.data(), static_cast<int>(code.key.size()), SQLITE_STATIC);
    sqlite3_bind_text(insert, 2, code.value.data(), static_cast<int>(code.value.size()), SQLITE_STATIC);
    sqlite3_bind_int64(insert, 3, code.count);
    if (sqlite3_step(insert) != SQLITE_DONE) {
      if (error != nullptr) *error = "Insert '" + code.key + "' failed![" + sqlite3_errmsg(db) + "]";
      ok = false;
      break;
    }
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  return ok;
}

}  // namespace

bool CreateExtraCodes(const std::string& path, std::string* error) {
  if (exists(path)) return true;
  Connection db(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  if (db.get() == nullptr) {
    if (error != nullptr) *error = "Open extra code database " + path + " failed!";
    return false;
  }
  return run(db.get(), "create table exdb (key char(12), val char(64), freq integer)",
             "Create extra code table failed!", error) &&
         run(db.get(), "create index ix_exdb on exdb(key,val)", "Create extra code index failed!", error);
}

bool ReplaceExtraCodes(const std::string& path, const std::vector<ExtraCode>& codes, std::string* error) {
  if (!CreateExtraCodes(path, error)) return false;
  Connection db(path, SQLITE_OPEN_READWRITE);
  if (db.get() == nullptr) {
    if (error != nullptr) *error = "Open extra code database " + path + " failed!";
    return false;
  }
  if (!run(db.get(), "begin immediate", "Save extra codes failed!", error)) return false;
  if (run(db.get(), "delete from exdb where 1=1", "Clear extra codes failed!", error) &&
      insert_all(db.get(), codes, error) &&
      run(db.get(), "commit", "Save extra codes failed!", error)) {
    return true;
  }
  run(db.get(), "rollback", "Save extra codes failed!", nullptr);
  return false;
}

bool ReadExtraCodes(const std::string& path, std::vector<ExtraCode>* codes, std::string* error) {
  codes->clear();
  Connection db(path, SQLITE_OPEN_READONLY);
  sqlite3_stmt* select = nullptr;
  if (db.get() == nullptr ||
      sqlite3_prepare_v2(db.get(), "select key, val, freq from exdb", -1, &select, nullptr) != SQLITE_OK) {
    if (error != nullptr) *error = "List extra codes of " + path + " failed!";
    return false;
  }
  int rc;
  while ((rc = sqlite3_step(select)) == SQLITE_ROW) {
    auto text = [&](int column) {
      const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(select, column));
      return bytes != nullptr ? std::string(bytes, static_cast<std::size_t>(sqlite3_column_bytes(select, column)))
                              : std::string();
    };
    codes->push_back({text(0), text(1), sqlite3_column_int64(select, 2)});
  }
  sqlite3_finalize(select);
  if (rc != SQLITE_DONE) {
    if (error != nullptr) *error = "List extra codes of " + path + " failed!";
    return false;
  }
  return true;
}

}  // namespace codetable
