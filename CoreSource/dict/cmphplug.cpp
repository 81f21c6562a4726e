// Opening and closing code tables, and the engine's front end to the open one.
#include "dict/cmphplug.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/datafolder.h"
#include "base/imelog.h"
#include "dict/cmphplug_detail.h"
#include "dict/plugfmt.h"
#include "record/qrdb.h"

KEPPlugTable* ime_plug_obj = nullptr;
char ime_plug_any_char = '*';
int ime_plug_max_len = 0;
int ime_plug_query_type = 0;
int ime_plug_show_left = 0;
int ime_plug_auto_fill = 0;

namespace {

// A key index far larger than any table would need is refused before it is read.
constexpr std::uintmax_t kMaxIndexBytes = 256u * 1024 * 1024;

std::string sibling(const std::string& path, const char* extension) {
  char out[512];
  return QAChangePostfix(path.c_str(), extension, out, sizeof out) != nullptr ? out : std::string();
}

bool exists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

const unsigned char* bytes_of(const KEPPlugTable* table) {
  return static_cast<const unsigned char*>(table->data.address);
}
std::size_t size_of(const KEPPlugTable* table) { return static_cast<std::size_t>(table->data.length); }

// Version 10: the offset table must hold whole slots between the records' end mark and the
// tail, and the key index must be a CHM hash over exactly that many keys.
bool open_cmph(KEPPlugTable* table, const std::string& index_path) {
  IME_DEBUG("Open plug cmph db....");
  const std::size_t size = size_of(table);
  const std::uint32_t tail = table->tail;
  // Records, their end mark, at least one offset slot, whole slots up to the tail.
  if (tail <= IME_PLUG_HEADER_BYTES || tail >= size - IME_PLUG_TAIL_BYTES ||
      (size - IME_PLUG_TAIL_BYTES - tail) % 4 != 0 ||
      bytes_of(table)[tail - 1] != IME_PLUG_CMPH_END_MARK) {
    IME_ERROR("Plug data file has no offset table at %u.", tail);
    return false;
  }
  table->records_end = tail;
  const auto keys = static_cast<std::uint32_t>((size - IME_PLUG_TAIL_BYTES - tail) / 4);

  std::error_code error;
  const std::uintmax_t index_size = std::filesystem::file_size(index_path, error);
  if (error || index_size > kMaxIndexBytes) {
    IME_ERROR("Plug index %s cannot be read.", index_path.c_str());
    return false;
  }
  std::ifstream in(index_path, std::ios::binary);
  std::vector<unsigned char> index((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string why;
  if (!in.good() && !in.eof()) why = "read error";
  if (why.empty() && !ime_plug_chm_index_valid(index.data(), index.size(), keys, &why)) {
    IME_ERROR("Plug index %s refused: %s.", index_path.c_str(), why.c_str());
    return false;
  }
  // CMPH reads from a stream: give it the bytes just checked, not the file again.
  std::FILE* stream = ::fmemopen(index.data(), index.size(), "rb");
  if (stream == nullptr) return false;
  table->cmph = cmph_load(stream);
  std::fclose(stream);
  if (table->cmph == nullptr) {
    IME_ERROR("Load plug index %s failed.", index_path.c_str());
    return false;
  }
  return true;
}

// A key index that answers its statements: a missing or foreign database fails here, at open.
bool has_table(sqlite3* db, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  const bool ok = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK;
  sqlite3_finalize(statement);
  return ok;
}

// `flags` never include SQLITE_OPEN_CREATE: a missing file is not made here.
sqlite3* open_database(const std::string& path, const char* probe, int flags) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK ||
      !has_table(db, probe)) {
    sqlite3_close(db);
    return nullptr;
  }
  // The preferences may be saving the extra codes at this moment.
  sqlite3_busy_timeout(db, 200);
  return db;
}

// Version 20: the row count must be one the data file can hold; counters are kept for every
// record number the writer gives (1 to the row count), so the file has one row more.
bool open_sql(KEPPlugTable* table, const std::string& path) {
  const std::size_t size = size_of(table);
  const std::size_t framing = IME_PLUG_HEADER_BYTES + 1 + IME_PLUG_TAIL_BYTES;
  const std::size_t records_room = size > framing ? size - framing : 0;
  if (table->tail == 0 || table->tail >= INT32_MAX ||
      table->tail > records_room / IME_PLUG_MIN_RECORD_BYTES) {
    IME_ERROR("Plug data file cannot hold %u rows.", table->tail);
    return false;
  }
  table->records_end = size - IME_PLUG_TAIL_BYTES;

  IME_DEBUG("Open plug sql db...");
  table->index_db =
      open_database(sibling(path, ".idx"), "select key, loc from plugdb", SQLITE_OPEN_READONLY);
  if (table->index_db == nullptr) {
    IME_ERROR("Open sqlite3 db failed!");
    return false;
  }
  const std::string extra = sibling(path, ".ex");
  if (exists(extra)) {
    IME_DEBUG("Plug has appendix database...");
    // Choosing an extra code updates its count in place.
    table->extra_db =
        open_database(extra, "select key, val, freq from exdb", SQLITE_OPEN_READWRITE);
    if (table->extra_db == nullptr) IME_ERROR("Open extended db failed!");
  }
  const std::string counters = sibling(path, ".freq");
  IME_DEBUG("Open '%s' with row %u", counters.c_str(), table->tail);
  table->freq = QAFreqOpen(counters.c_str(), static_cast<int>(table->tail) + 1, 0);
  if (table->freq == nullptr) {
    IME_ERROR("Open freq object failed!");
    return false;
  }
  IME_DEBUG("Open plug sql db successed.");
  return true;
}

}  // namespace

KEPPlugTable* QACMPHPlugOpen(const char* path) {
  if (path == nullptr || path[0] == '\0') return nullptr;
  std::error_code error;
  // The counter file is named by an absolute path, whatever the caller gave.
  const std::string absolute = std::filesystem::absolute(path, error).string();
  if (error) return nullptr;
  const std::string data_path = sibling(absolute, ".qdb");
  const std::string index_path = sibling(absolute, ".idx");
  if (data_path.empty() || index_path.empty()) return nullptr;

  auto* table = new KEPPlugTable{};
  if (ime_mmap(data_path.c_str(), &table->data, 0) != 0) {
    QACMPHPlugClose(table);
    return nullptr;
  }
  const std::size_t size = size_of(table);
  const unsigned char* bytes = bytes_of(table);
  if (size < IME_PLUG_HEADER_BYTES + IME_PLUG_TAIL_BYTES ||
      std::memcmp(bytes, IME_PLUG_MAGIC, IME_PLUG_MAGIC_BYTES) != 0) {
    IME_ERROR("%s is no plug data file.", data_path.c_str());
    QACMPHPlugClose(table);
    return nullptr;
  }
  const std::string_view version(reinterpret_cast<const char*>(bytes) + IME_PLUG_MAGIC_BYTES, 2);
  table->tail = ime_read_be32(bytes + size - IME_PLUG_TAIL_BYTES);

  bool opened = false;
  if (version == IME_PLUG_VERSION_CMPH) {
    table->version = 10;
    opened = exists(index_path) && open_cmph(table, index_path);
  } else if (version == IME_PLUG_VERSION_SQL) {
    table->version = 20;
    opened = open_sql(table, absolute);
  } else {
    IME_ERROR("Plug data file %s has unknown version.", data_path.c_str());
  }
  if (!opened) {
    QACMPHPlugClose(table);
    return nullptr;
  }
  return table;
}

void QACMPHPlugClose(KEPPlugTable* table) {
  if (table == nullptr) return;
  if (table->cmph != nullptr) cmph_destroy(table->cmph);
  sqlite3_close(table->index_db);
  sqlite3_close(table->extra_db);
  QAFreqClose(table->freq);
  ime_munmap(&table->data);
  delete table;
}

int QACMPHPlugQuery(KEPPlugTable* table, int mode, const char* code, int length,
                    ime_conversation_t* conversation, int list) {
  if (table == nullptr || code == nullptr || length <= 0) return 0;
  if (table->version == 10) return ime_plug_query_cmph(table, mode, code, length, conversation, list);
  return ime_plug_query_sql(table, mode, code, length, conversation, list);
}

int ime_plug_open(const char* path, char any_char, int max_len) {
  ime_plug_close();
  ime_plug_any_char = any_char;
  ime_plug_max_len = max_len;
  ime_plug_obj = QACMPHPlugOpen(path);
  return ime_plug_obj != nullptr ? 0 : -1;
}

int ime_plug_query(ime_conversation_t* conversation, int list, const char* code, int length) {
  if (ime_qrdb_reset(conversation, list) != 0) return -1;
  if (length > IME_PLUG_MAX_TYPED_BYTES) {
    IME_DEBUG("Plug code of %d bytes is longer than %d, not queried.", length, IME_PLUG_MAX_TYPED_BYTES);
    return -1;
  }
  if (ime_plug_obj == nullptr || code == nullptr || length <= 0) return 0;
  const int mode = ime_plug_query_type == 0 ? IME_PLUG_PREFIX : IME_PLUG_EXACT;
  return QACMPHPlugQuery(ime_plug_obj, mode, code, length, conversation, list);
}

int ime_plug_close() {
  QACMPHPlugClose(ime_plug_obj);
  ime_plug_obj = nullptr;
  return 0;
}
