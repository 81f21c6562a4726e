#include "user/udb_store.h"

#include <sys/time.h>

#include <ctime>
#include <deque>
#include <optional>
#include <unordered_map>

#include "base/imelog.h"
#include "user/imeuser2.h"

UdbDatabase* ime_udb = nullptr;

namespace {

// A phrase's identity: everything but the counts, which change with use.
std::string signature(const std::string& key, const UDBItem& item) {
  std::string sig = key;
  sig.push_back('\x1f');
  sig.append(item.initials, item.syllables);
  sig.append(item.finals, item.syllables);
  sig.append(reinterpret_cast<const char*>(item.tones), item.syllables);
  sig.push_back('\x1f');
  sig.append(item.text, item.text_length);
  sig.push_back('\x1f');
  sig.append(item.text2, item.text2_length);
  return sig;
}

bool changed_here(const UDBItem& item) {
  return item.freq != item.file_freq || item.used != item.file_used || item.time != item.file_time;
}

void take_file_counts(UDBItem* item, const UDBItem& on_disk) {
  item->freq = on_disk.freq;
  item->used = on_disk.used;
  item->time = on_disk.time;
  ime_udb_mark_in_file(item);
}

int write_failed(UdbDatabase* db, const char* what, const std::string& reason) {
  IME_ERROR("%s![%s]", what, reason.c_str());
  db->write_error = reason;
  return -1;
}

}  // namespace

UDBItem* ime_udb_new_item(UdbDatabase* db, const UDBItem& value) {
  db->pool.push_back(std::make_unique<UDBItem>(value));
  return db->pool.back().get();
}

void ime_udb_mark_in_file(UDBItem* item) {
  item->in_file = true;
  item->file_freq = item->freq;
  item->file_used = item->used;
  item->file_time = item->time;
}

int ime_udb_count(const UdbDatabase* db) {
  int count = 0;
  if (db != nullptr) {
    for (const auto& entry : db->arrays) count += static_cast<int>(entry.second.size());
  }
  return count;
}

std::map<std::string, std::vector<UDBItem*>> ime_udb_merge(UdbDatabase* db, std::vector<UdbLine>&& on_disk) {
  // The file's phrases by identity; equal phrases (a phrase may be stored twice) pair up in order.
  std::unordered_map<std::string, std::deque<std::size_t>> by_signature;
  for (std::size_t i = 0; i < on_disk.size(); ++i) {
    by_signature[signature(on_disk[i].key, on_disk[i].item)].push_back(i);
  }
  auto take = [&](const std::string& sig) -> std::optional<std::size_t> {
    auto found = by_signature.find(sig);
    if (found == by_signature.end() || found->second.empty()) return std::nullopt;
    std::size_t index = found->second.front();
    found->second.pop_front();
    return index;
  };

  std::vector<bool> removed_here(on_disk.size(), false);
  for (const auto& [key, item] : db->removed) {
    if (std::optional<std::size_t> index = take(signature(key, item))) removed_here[*index] = true;
  }

  std::vector<UDBItem*> kept(on_disk.size(), nullptr);
  std::vector<std::pair<const std::string*, UDBItem*>> not_in_file;
  for (auto& [key, array] : db->arrays) {
    for (UDBItem* item : array) {
      if (!item->in_file) {
        not_in_file.emplace_back(&key, item);
        continue;
      }
      std::optional<std::size_t> index = take(signature(key, *item));
      if (!index) continue;  // removed by another process: it goes
      kept[*index] = item;
      if (!changed_here(*item)) take_file_counts(item, on_disk[*index].item);
    }
  }

  std::map<std::string, std::vector<UDBItem*>> merged;
  for (std::size_t i = 0; i < on_disk.size(); ++i) {
    if (removed_here[i]) continue;
    UDBItem* item = kept[i];
    if (item == nullptr) {
      // Added by another process.
      item = ime_udb_new_item(db, on_disk[i].item);
      ime_udb_mark_in_file(item);
    }
    merged[on_disk[i].key].push_back(item);
  }
  for (const auto& [key, item] : not_in_file) merged[*key].push_back(item);
  return merged;
}

int ime_udb_save(UdbDatabase* db) {
  // Learning is off for it: nothing here is new to the file.
  if (!db->read_only_reason.empty()) return 0;
  struct timeval start;
  ::gettimeofday(&start, nullptr);
  std::string error;
  UdbLock lock = UdbLock::acquire(db->path);
  if (!lock.held()) return write_failed(db, "Lock the udb.lib failed", lock.failure());
  UdbReadResult on_disk;
  if (!ime_udb_read_path(db->path, &on_disk, &error)) {
    // Without the file's current phrases a write could drop another process's additions.
    return write_failed(db, "Read udb.lib before writing failed", error);
  }
  std::map<std::string, std::vector<UDBItem*>> merged = ime_udb_merge(db, std::move(on_disk.phrases));

  const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
  std::string content;
  std::vector<UDBItem*> written;
  for (const auto& [key, array] : merged) {
    for (std::size_t i = 0; i < array.size(); ++i) {
      UDBItem* item = array[i];
      if (item == nullptr) {
        IME_DEBUG("\tItem at index %zu is null.", i);
        continue;
      }
      if (item->syllables == 0 || item->text_length == 0 || item->text2_length == 0) continue;
      if (item->time == 0) item->time = now;
      std::string line = ime_udb_format_line(key, *item);
      if (line.empty()) {
        IME_DEBUG("The phrase '%s' cannot be stored; it stays in memory only.", item->text);
        continue;
      }
      content += line;
      written.push_back(item);
    }
  }
  content += IME_UDB_END_TAG;
  content += "\n";

  if (!ime_udb_replace(db->path, content, &error)) return write_failed(db, "Write udb.lib failed", db->path + ": " + error);
  db->write_error.clear();
  db->arrays = std::move(merged);
  for (UDBItem* item : written) ime_udb_mark_in_file(item);
  db->removed.clear();
  struct timeval end;
  ::gettimeofday(&end, nullptr);
  IME_DEBUG("Save %zu user phrase in %s seconds.", written.size(), ime_gettimeresult(start, end));
  return 0;
}
