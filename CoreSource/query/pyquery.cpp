#include "query/pyquery.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "base/imelog.h"
#include "query/candidate_freq.h"
#include "query/fuzzy_pinyin.h"
#include "record/engine_globals.h"
#include "record/qrdb.h"
#include "tables/accode.h"
#include "tables/pinyin_code.h"
#include "tables/pytable.h"

namespace {

// Records already added by this query, by table and offset. A sorted vector: the table scans
// give their hits in offset order, so nearly every new record goes at the end, and no record
// costs an allocation of its own.
class SeenRecords {
 public:
  // False when the record was already there.
  bool insert(const void* table, std::int64_t offset) {
    const Key key{table, offset};
    if (keys_.empty() || keys_.back() < key) {
      keys_.push_back(key);
      return true;
    }
    auto at = std::lower_bound(keys_.begin(), keys_.end(), key);
    if (at != keys_.end() && *at == key) return false;
    keys_.insert(at, key);
    return true;
  }

 private:
  using Key = std::pair<const void*, std::int64_t>;
  std::vector<Key> keys_;
};

enum class Table { kMain, kExtension };

// Bytes of a mapped table that hold records; 0 when the table is not one of the engine's.
std::size_t records_size(const void* table) {
  if (table == &ime_py_info && ime_py_info.address != nullptr) return ime_py_main_size;
  if (table == &ime_pyext_info && ime_pyext_info.address != nullptr && ime_pyext_info.length > 0) {
    return static_cast<std::size_t>(ime_pyext_info.length);
  }
  return 0;
}

std::int32_t clamp_to_int(std::uint64_t value) {
  return value > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(value);
}

// With accessory letters typed, a hanzi that has accessory codes must have one beginning with
// them; only the first letter counts while further syllables follow, since the rest of the
// letters then belong to the characters after it. A hanzi without codes passes.
bool accessory_passes(const ime_conversation_t* conversation, const ime_py_record_t& record) {
  if (conversation == nullptr || conversation->acclen == 0 || kAccCodeDict == nullptr) return true;
  const bool traditional = (conversation->mode & IME_MODE_TRADITIONAL) != 0;
  auto found = kAccCodeDict->find(traditional ? record.traditional() : record.simplified());
  if (found == kAccCodeDict->end() || found->second.empty()) return true;
  std::size_t letters = std::min<std::size_t>(conversation->acclen, IME_MAX_ACCESSORY_KEYS);
  if (ime_convs_remaining_syllables(conversation) > 1) letters = 1;
  const std::string_view typed(conversation->accbuf, letters);
  for (const std::string& code : found->second) {
    if (code.compare(0, typed.size(), typed) == 0) return true;
  }
  return false;
}

int add_hits(ime_conversation_t* conversation, Table table, const std::vector<ime_py_hit_t>& hits,
             int list_code, SeenRecords* seen) {
  const ime_mmap_t* mapping = table == Table::kMain ? &ime_py_info : &ime_pyext_info;
  int count = 0;
  for (const ime_py_hit_t& hit : hits) {
    if (!accessory_passes(conversation, hit.record)) continue;
    if (table == Table::kMain && hit.record.class_digit == '0' && ime_query_all == 0) continue;
    if (seen != nullptr && !seen->insert(mapping, hit.offset)) continue;

    ime_qrdb_entry_t entry{};
    entry.type = IME_RESULT_HANZI;
    entry.flag = hit.initial_only ? 1 : 0;
    entry.plen = 1;
    entry.source = const_cast<ime_mmap_t*>(mapping);
    entry.index = clamp_to_int(std::uint64_t{hit.record.hanzi_index} +
                               (table == Table::kExtension ? IME_PY_EXT_INDEX_BASE : 0));
    entry.offset = static_cast<std::uint32_t>(hit.offset);
    entry.size = IME_PY_RECORD_SIZE;
    entry.klass = static_cast<std::uint8_t>(hit.record.class_digit - '0');
    entry.freq = clamp_to_int(hit.record.base_frequency);
    entry.matval = clamp_to_int(std::uint64_t{ime_get_hzfreq(&entry)} + hit.record.base_frequency);
    if (list_code >= 0 && ime_qrdb_add(conversation, list_code, &entry) < 0) break;
    ++count;
  }
  return count;
}

// The syllable as the queries take it: at most 15 bytes, of which the table scan checks the
// letters. Nothing typed is no error, only nothing to find.
bool usable_syllable(const char* syllable, std::string* typed) {
  if (syllable == nullptr || syllable[0] == '\0') {
    IME_INFO("Input pinyin is zero.");
    return false;
  }
  typed->assign(syllable, strnlen(syllable, 15));
  return true;
}

int query_main(ime_conversation_t* conversation, const ime_mmap_t* table, int tone_mask,
               const char* syllable, int list_code, SeenRecords* seen) {
  std::string typed;
  if (!usable_syllable(syllable, &typed)) return 0;
  if (table != &ime_py_info || records_size(table) == 0) return -1;
  std::vector<ime_py_hit_t> hits;
  if (ime_query_py_records(typed.c_str(), tone_mask, &hits) < 0) return -1;
  int count = add_hits(conversation, Table::kMain, hits, list_code, seen);
  IME_DEBUG("Total %d py.", count);
  return count;
}

int query_extension(ime_conversation_t* conversation, const ime_mmap_t* table, int tone_mask,
                    const char* syllable, int list_code, SeenRecords* seen) {
  std::string typed;
  if (!usable_syllable(syllable, &typed)) return 0;
  if (table != &ime_pyext_info || records_size(table) == 0) return -1;
  std::vector<ime_py_hit_t> hits;
  if (ime_query_py_ext_records(typed.c_str(), tone_mask, &hits) < 0) return -1;
  int count = add_hits(conversation, Table::kExtension, hits, list_code, seen);
  IME_DEBUG("Total %d hz query from pinyin2.db", count);
  return count;
}

}  // namespace

int _ime_tone_val(int tone) {
  switch (tone) {
    case 1: return 1;
    case 2: return 2;
    case 3: return 4;
    case 4: return 8;
    default: return 15;
  }
}

bool ime_is_valid_py(const char* text, std::size_t length, std::int64_t* offset) {
  if (text == nullptr || ime_py_hash == nullptr) return false;
  length = strnlen(text, length);
  if (length == 0 || length > IME_PY_SYLLABLE_BYTES) return false;
  auto found = ime_py_hash->find(std::string(text, length));
  if (found == ime_py_hash->end()) return false;
  if (offset != nullptr) *offset = found->second;
  return true;
}

int ime_query_py(ime_conversation_t* conversation, const ime_mmap_t* table, int tone_mask,
                 const char* syllable, int list_code) {
  return query_main(conversation, table, tone_mask, syllable, list_code, nullptr);
}

int ime_query_py2(ime_conversation_t* conversation, const ime_mmap_t* table, int tone_mask,
                  const char* syllable, int list_code) {
  return query_extension(conversation, table, tone_mask, syllable, list_code, nullptr);
}

int ime_query_py_list(ime_conversation_t* conversation, int tone, const char* syllable,
                      int list_code) {
  const int mask = _ime_tone_val(tone);
  int variants = 0;
  ime_get_equal_py(syllable, IME_PY_SYLLABLE_BYTES, &variants);
  IME_DEBUG("Query py [%s] with thone [%d] [%x] pynum=%d", syllable != nullptr ? syllable : "",
            tone, mask, conversation != nullptr ? conversation->pynum : -1);
  const bool extension = ime_valid != 0 && conversation != nullptr &&
                         (conversation->mode & IME_MODE_TRADITIONAL) != 0;
  SeenRecords seen;
  int total = 0;
  for (int i = 0; i < variants; ++i) {
    // Copied: a nested expansion must not change the variant being queried.
    char variant[IME_EQUAL_PY_BYTES];
    std::memcpy(variant, ime_equal_py[i], sizeof variant);
    int found = query_main(conversation, &ime_py_info, mask, variant, list_code, &seen);
    if (found > 0) total += found;
    if (extension) {
      IME_DEBUG("Query the pinyin2.db...[%s] tone=%d", variant, tone);
      found = query_extension(conversation, &ime_pyext_info, mask, variant, list_code, &seen);
      if (found > 0) total += found;
    }
  }
  return total;
}

int ime_load_py_lazy(const ime_qrdb_entry_t* entry, ime_query_result_t* record) {
  if (entry == nullptr || record == nullptr || entry->type != IME_RESULT_HANZI) return -1;
  const std::size_t size = records_size(entry->source);
  ime_py_record_t fields;
  if (size == 0 || !ime_py_decode_record(static_cast<const unsigned char*>(
                                             static_cast<const ime_mmap_t*>(entry->source)->address),
                                         size, entry->offset, &fields) ||
      fields.is_end()) {
    IME_ERROR("Load a single hanzi failed: its record is not in the pinyin table.");
    return -1;
  }
  std::memset(record->sm, 0, sizeof record->sm);
  std::memset(record->ym, 0, sizeof record->ym);
  std::memset(record->tone, 0, sizeof record->tone);
  ime_decompose_py(fields.syllable, &record->sm[0], &record->ym[0]);
  record->type = IME_RESULT_HANZI;
  record->dbid = 0;
  record->plen = 1;
  record->rplen = 1;
  record->jp = entry->flag;
  record->index = static_cast<std::uint32_t>(entry->index);
  record->lazy = const_cast<ime_qrdb_entry_t*>(entry);
  // The decoder has already checked that both texts fit the record's eight text bytes.
  record->hlen = fields.simplified_length;
  record->thlen = fields.traditional_length;
  std::memset(record->hz, 0, sizeof record->hz);
  std::memset(record->thz, 0, sizeof record->thz);
  std::memcpy(record->hz, fields.text, fields.simplified_length);
  std::memcpy(record->thz, fields.text + fields.simplified_length, fields.traditional_length);
  record->freq = static_cast<std::uint32_t>(entry->freq);
  record->matval = static_cast<std::uint32_t>(entry->matval);
  record->tone[0] = fields.tone_mask;
  return 0;
}
