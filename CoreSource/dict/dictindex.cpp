#include "dict/dictindex.h"

#include <db.h>

#include <cstdlib>
#include <cstring>

#include "base/imelog.h"
#include "dict/dictfmt.h"

namespace dictindex {

namespace {

// What ndbm names its file and how it sets up a new one.
constexpr const char* kSuffix = ".db";
constexpr std::uint32_t kPageSize = 4096;
constexpr std::uint32_t kFillFactor = 40;
constexpr std::uint32_t kExpectedElements = 1;

void report_error(const DB_ENV*, const char*, const char* message) {
  IME_ERROR("Dictionary index: %s", message != nullptr ? message : "");
}

DBT as_dbt(std::string_view bytes) {
  DBT dbt;
  std::memset(&dbt, 0, sizeof dbt);
  // The library takes a non-const pointer for keys and values it only reads.
  dbt.data = const_cast<char*>(bytes.data());
  dbt.size = static_cast<std::uint32_t>(bytes.size());
  return dbt;
}

Handle* open_index(const std::string& base_path, std::uint32_t flags, int mode) {
  DB* db = nullptr;
  if (db_create(&db, nullptr, 0) != 0) return nullptr;
  db->set_errcall(db, report_error);
  int result = 0;
  if ((flags & DB_CREATE) != 0) {
    result = db->set_pagesize(db, kPageSize);
    if (result == 0) result = db->set_h_ffactor(db, kFillFactor);
    if (result == 0) result = db->set_h_nelem(db, kExpectedElements);
  }
  const std::string path = base_path + kSuffix;
  if (result == 0) result = db->open(db, nullptr, path.c_str(), nullptr, DB_HASH, flags, mode);
  if (result != 0) {
    IME_ERROR("Open index \"%s\" failed![%s]", path.c_str(), db_strerror(result));
    db->close(db, 0);
    return nullptr;
  }
  return db;
}

StoreResult store(Handle* index, std::string_view key, std::string_view value, std::uint32_t flags) {
  if (index == nullptr || key.empty()) return StoreResult::Failed;
  DBT key_dbt = as_dbt(key);
  DBT value_dbt = as_dbt(value);
  int result = index->put(index, nullptr, &key_dbt, &value_dbt, flags);
  if (result == 0) return StoreResult::Stored;
  return result == DB_KEYEXIST ? StoreResult::Exists : StoreResult::Failed;
}

// Berkeley DB follows the offsets of its pages without checking them, so a damaged file would
// make a lookup read outside the page; its own verifier checks every page first.
bool verified(const std::string& base_path) {
  DB* db = nullptr;
  if (db_create(&db, nullptr, 0) != 0) return false;
  db->set_errcall(db, report_error);
  const std::string path = base_path + kSuffix;
  // verify() releases the handle whatever it answers.
  int result = db->verify(db, path.c_str(), nullptr, nullptr, 0);
  if (result != 0) IME_ERROR("Index \"%s\" is damaged![%s]", path.c_str(), db_strerror(result));
  return result == 0;
}

}  // namespace

Handle* open_read(const std::string& base_path, Check check) {
  if (check == Check::Verify && !verified(base_path)) return nullptr;
  return open_index(base_path, DB_RDONLY, 0);
}

Handle* open_create(const std::string& base_path) {
  return open_index(base_path, DB_CREATE, static_cast<int>(dictfmt::kFileMode));
}

bool close(Handle* index) {
  if (index == nullptr) return true;
  return index->close(index, 0) == 0;
}

std::optional<std::string> fetch(Handle* index, std::string_view key) {
  if (index == nullptr || key.empty()) return std::nullopt;
  DBT key_dbt = as_dbt(key);
  DBT value;
  std::memset(&value, 0, sizeof value);
  value.flags = DB_DBT_MALLOC;
  if (index->get(index, nullptr, &key_dbt, &value, 0) != 0) return std::nullopt;
  std::string copy(static_cast<const char*>(value.data), value.size);
  std::free(value.data);
  return copy;
}

StoreResult insert(Handle* index, std::string_view key, std::string_view value) {
  return store(index, key, value, DB_NOOVERWRITE);
}

StoreResult replace(Handle* index, std::string_view key, std::string_view value) {
  return store(index, key, value, 0);
}

}  // namespace dictindex
