#include "user/imeuser2.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <optional>
#include <string>

#include "base/datafolder.h"
#include "base/freq.h"
#include "base/imelog.h"
#include "user/udb_store.h"

int ime_udb_loaded = 0;
int ime_udb_changed = 0;

namespace {

std::string udb_path() {
  const char* folder = QAGetAppSupportPath();
  return folder != nullptr ? std::string(folder) + "/udb.lib" : std::string();
}

bool fits_text(int length, int syllables, std::size_t capacity) {
  return length >= IME_UDB_MIN_TEXT && length <= IME_UDB_TEXT_PER_SYLLABLE * syllables &&
         static_cast<std::size_t>(length) < capacity;
}

// The phrase of a candidate as an item, or false (logged) when udb.lib could not hold it.
bool item_from_record(const ime_query_result_t* record, UDBItem* item, std::string* key) {
  const int n = record->plen;
  if (n < IME_UDB_MIN_SYLLABLES || n > IME_UDB_MAX_SYLLABLES) {
    IME_ERROR("Add udb: a phrase of %d syllables cannot be stored.", n);
    return false;
  }
  // Without a second form the text stands in for it, so the phrase can be stored at all.
  const bool has_second = record->thlen > 0;
  const std::uint8_t* second = has_second ? record->thz : record->hz;
  const int second_length = has_second ? record->thlen : record->hlen;
  if (!fits_text(record->hlen, n, sizeof item->text) || !fits_text(second_length, n, sizeof item->text2)) {
    IME_ERROR("Add udb: text lengths [%d,%d] do not fit %d syllables.", record->hlen, second_length, n);
    return false;
  }
  if (!ime_udb_code_bytes(std::string_view(record->sm, n)) || !ime_udb_code_bytes(std::string_view(record->ym, n)) ||
      !ime_udb_showable_text(std::string_view(reinterpret_cast<const char*>(record->hz), record->hlen)) ||
      !ime_udb_showable_text(std::string_view(reinterpret_cast<const char*>(second), second_length))) {
    IME_ERROR("Add udb: the phrase is not UTF-8 text or holds control bytes; not learned.");
    return false;
  }
  std::memset(item, 0, sizeof *item);
  std::memcpy(item->initials, record->sm, n);
  std::memcpy(item->finals, record->ym, n);
  for (int j = 0; j < n; ++j) {
    // Only a mask fits the file's one hex digit; anything else is "tone unknown".
    item->tones[j] = record->tone[j] <= 0x0F ? record->tone[j] : IME_UDB_ANY_TONE;
  }
  std::memcpy(item->text, record->hz, record->hlen);
  std::memcpy(item->text2, second, second_length);
  item->text_length = record->hlen;
  item->text2_length = static_cast<std::uint8_t>(second_length);
  item->syllables = static_cast<std::uint8_t>(n);
  item->freq = ((static_cast<std::uint32_t>(ime_hzfreq_val + 1) << 24) & 0x7F000000u) | IME_UDB_NEW_COUNT;
  item->used = 1;
  item->time = static_cast<std::int64_t>(std::time(nullptr));
  *key = ime_udb_fold_key(std::string_view(item->initials, n));
  return true;
}

bool same_phrase(const UDBItem& a, const UDBItem& b) {
  const std::size_t n = a.syllables;
  return a.syllables == b.syllables && std::memcmp(a.initials, b.initials, n) == 0 &&
         std::memcmp(a.finals, b.finals, n) == 0 && a.text_length == b.text_length &&
         std::memcmp(a.text, b.text, a.text_length) == 0;
}

// Finds the held phrase a candidate stands for: the item its entry points at when that item is
// still held, else the first held phrase with the candidate's syllables and text.
std::vector<UDBItem*>::iterator find_held(const ime_query_result_t* record, std::vector<UDBItem*>& array) {
  const ime_qrdb_entry_t* entry = static_cast<const ime_qrdb_entry_t*>(record->lazy);
  if (entry != nullptr && entry->type == IME_RESULT_USER_WORD) {
    // Compared as a pointer only: it is never followed unless it is one of the held phrases.
    for (auto it = array.begin(); it != array.end(); ++it) {
      if (*it == entry->source) return it;
    }
  }
  UDBItem wanted;
  std::string key;
  if (!item_from_record(record, &wanted, &key)) return array.end();
  for (auto it = array.begin(); it != array.end(); ++it) {
    if (same_phrase(**it, wanted)) return it;
  }
  return array.end();
}

// Writes after a change; the change stays in memory either way.
int write_after_change() {
  return ime_udb_save(ime_udb) == 0 ? 0 : -2;
}

}  // namespace

int ime_udb_open() {
  if (ime_udb_loaded && ime_udb != nullptr) return 0;
  struct timeval start;
  ::gettimeofday(&start, nullptr);
  const std::string path = udb_path();
  if (path.empty()) {
    IME_ERROR("Open udb.lib failed![%s]", ime_data_folder_error().c_str());
    return -1;
  }
  UdbReadResult read;
  std::string read_only_reason;
  {
    UdbLock lock = UdbLock::acquire(path);
    // The file is only ever replaced whole, so a read without the lock still sees one
    // complete version of it; only writing needs the lock.
    if (lock.busy()) IME_ERROR("Lock the udb.lib failed![%s]; read without it.", lock.failure().c_str());
    std::string error;
    if (!ime_udb_read_path(path, &read, &error)) {
      // Writing now would replace phrases that could not be read.
      read = UdbReadResult{};
      read_only_reason = error;
    } else {
      read_only_reason = ime_udb_unwritable_reason(path);
      if (read_only_reason.empty() && !lock.held() && !lock.busy()) read_only_reason = lock.failure();
    }
  }

  auto* db = new (std::nothrow) UdbDatabase;
  if (db == nullptr) {
    IME_ERROR("Create udb dictionary object failed!");
    return -1;
  }
  db->path = path;
  db->read_only_reason = read_only_reason;
  if (!read_only_reason.empty()) {
    IME_ERROR("udb.lib cannot be written [%s]; no phrase is learned.", read_only_reason.c_str());
  }
  for (UdbLine& line : read.phrases) {
    UDBItem* item = ime_udb_new_item(db, line.item);
    ime_udb_mark_in_file(item);
    db->arrays[line.key].push_back(item);
  }
  ime_udb = db;
  ime_udb_loaded = 1;
  ime_udb_changed = 0;
  struct timeval end;
  ::gettimeofday(&end, nullptr);
  IME_DEBUG("Load the %d user phrases in %s seconds.", ime_udb_count(db), ime_gettimeresult(start, end));
  return 0;
}

int ime_udb_add(const ime_query_result_t* record) {
  if (record == nullptr) return -1;
  UDBItem value;
  std::string key;
  if (!item_from_record(record, &value, &key)) return -1;
  if (ime_udb_open() != 0 || !ime_udb->read_only_reason.empty()) return -1;
  UDBItem* item = ime_udb_new_item(ime_udb, value);
  ime_udb->arrays[key].push_back(item);
  ++ime_udb_changed;
  return write_after_change();
}

int ime_udb_remove(const ime_query_result_t* record) {
  if (record == nullptr || ime_udb == nullptr || !ime_udb->read_only_reason.empty()) return -1;
  const std::string key = ime_udb_fold_key(std::string_view(record->sm, std::min<int>(record->plen, IME_MAX_SYLLABLES)));
  auto array = ime_udb->arrays.find(key);
  if (array == ime_udb->arrays.end()) {
    IME_DEBUG("No base pointer found!");
    return -1;
  }
  auto held = find_held(record, array->second);
  if (held == array->second.end()) {
    IME_DEBUG("No base pointer found!");
    return -1;
  }
  UDBItem* item = *held;
  array->second.erase(held);
  if (item->in_file) ime_udb->removed.emplace_back(key, *item);
  if (array->second.empty()) ime_udb->arrays.erase(array);
  ++ime_udb_changed;
  return write_after_change();
}

int ime_udb_refresh() {
  if (ime_udb == nullptr) {
    IME_ERROR("No udb keys should be saved.");
    return -1;
  }
  return ime_udb_save(ime_udb) == 0 ? 0 : -1;
}

int ime_udb_close() {
  if (!ime_udb_loaded || ime_udb == nullptr) return 0;
  if (ime_udb_save(ime_udb) != 0) return -1;
  return ime_udb_free();
}

int ime_udb_free() {
  delete ime_udb;
  ime_udb = nullptr;
  ime_udb_loaded = 0;
  return 0;
}

int ime_load_ucz_lazy(const ime_qrdb_entry_t* entry, ime_query_result_t* record) {
  if (entry == nullptr || record == nullptr || entry->type != IME_RESULT_USER_WORD || entry->source == nullptr) {
    return -1;
  }
  const UDBItem* item = static_cast<const UDBItem*>(entry->source);
  const int n = std::min<int>(item->syllables, IME_UDB_MAX_SYLLABLES);
  std::memset(record, 0, sizeof *record);
  record->type = IME_RESULT_USER_WORD;
  record->plen = static_cast<std::uint8_t>(n);
  std::memcpy(record->sm, item->initials, n);
  std::memcpy(record->ym, item->finals, n);
  std::memcpy(record->tone, item->tones, n);
  std::memcpy(record->hz, item->text, item->text_length);
  std::memcpy(record->thz, item->text2, item->text2_length);
  record->hlen = item->text_length;
  record->thlen = item->text2_length;
  record->lazy = const_cast<ime_qrdb_entry_t*>(entry);
  record->freq = IME_UDB_NEW_COUNT;
  record->matval = static_cast<std::uint32_t>(entry->matval);
  return 0;
}

std::string ime_udb_read_only_reason() {
  return ime_udb != nullptr ? ime_udb->read_only_reason : std::string();
}

std::string ime_udb_write_error() { return ime_udb != nullptr ? ime_udb->write_error : std::string(); }

std::vector<const UDBItem*> ime_udb_items() {
  std::vector<const UDBItem*> items;
  if (ime_udb == nullptr) return items;
  for (const auto& entry : ime_udb->arrays) items.insert(items.end(), entry.second.begin(), entry.second.end());
  return items;
}

const char* ime_gettimeresult(struct timeval start, struct timeval end) {
  static char buffer[512];
  const double seconds = static_cast<double>(end.tv_sec - start.tv_sec) +
                         static_cast<double>(end.tv_usec - start.tv_usec) / 1e6;
  std::snprintf(buffer, sizeof buffer, "%.6f", seconds);
  return buffer;
}

char* mstrdup(const char* bytes, std::size_t length) {
  if (bytes == nullptr || length == 0) return nullptr;
  char* copy = static_cast<char*>(std::malloc(length + 1));
  if (copy == nullptr) return nullptr;
  std::memcpy(copy, bytes, length);
  copy[length] = '\0';
  return copy;
}
