// Finding a dictionary's words for typed syllables, and loading a found word into a candidate.
#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "base/encoding.h"
#include "base/imelog.h"
#include "dict/dictfmt.h"
#include "dict/qdict.h"
#include "record/engine_globals.h"
#include "services/ccclient.h"
#include "tables/acc_filter.h"
#include "tables/accode.h"
#include "tables/syllable_match.h"

namespace {

// What one scan compares and where its entries go.
struct Scan {
  ImeDict* dict;
  int dbid;
  ime_conversation_t* conversation;
  const int* tones;
  int first;        // first typed syllable of the span
  int compared;     // typed syllables each word is compared on
  int list_code;
  bool extension;   // the words are longer than the typed input
};

bool all_stars(const char* text, std::size_t length) {
  return length > 0 && std::all_of(text, text + length, [](char c) { return c == '*'; });
}

std::int32_t clamp_to_int(std::uint64_t value) {
  return value > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(value);
}

// The counting half of a counter, as the frequency mode ranks it.
std::uint32_t counted_part(std::uint32_t counter) {
  return ime_freq_mode != 0 ? (counter & QAFREQ_COUNT_MAX) : (counter & 0x7F000000u);
}

bool tones_fit(const Scan& scan, const dictfmt::StoredRecord& record) {
  for (int k = 0; k < scan.compared; ++k) {
    int wanted = scan.tones[scan.first + k];
    if (wanted != 15 && (record.tone_mask(k) & wanted) == 0) return false;
  }
  return true;
}

// One verdict memory for each compared syllable of a scan.
std::vector<SyllableVerdicts> typed_syllables(const Scan& scan) {
  std::vector<SyllableVerdicts> typed;
  typed.reserve(static_cast<std::size_t>(scan.compared));
  for (int k = 0; k < scan.compared; ++k) typed.emplace_back(scan.conversation->py[scan.first + k]);
  return typed;
}

bool syllables_fit(const Scan& scan, std::vector<SyllableVerdicts>& typed,
                   const dictfmt::StoredRecord& record) {
  for (int k = 0; k < scan.compared; ++k) {
    if (!typed[static_cast<std::size_t>(k)].accepts(record.initial(k), record.final_code(k))) {
      if (scan.extension) IME_DEBUG("Extern query: j<lwc");
      return false;
    }
  }
  return true;
}

bool accessory_tested(const ime_conversation_t* conversation) {
  return conversation->pyoff < conversation->acclen && kAccCodeDict != nullptr;
}

bool accessory_fits(const Scan& scan, const dictfmt::Record& record) {
  const ime_conversation_t* conversation = scan.conversation;
  int letters = std::min<int>(conversation->acclen, IME_MAX_ACCESSORY_KEYS);
  if (record.syllables < letters) return false;
  const std::size_t bytes = 2 * static_cast<std::size_t>(record.syllables);
  // A second form still to be computed has no characters to test; the word itself stands in.
  bool traditional = (conversation->mode & IME_MODE_TRADITIONAL) != 0 &&
                     !all_stars(record.second, bytes);
  char utf8[4 * 2 * dictfmt::kMaxSyllables + 1];
  std::uint32_t size = sizeof utf8;
  if (ime_convert_to_utf8_3(traditional ? record.second : record.text, static_cast<int>(bytes),
                            utf8, &size) == nullptr) {
    return false;
  }
  return ime_acc_word_passes(std::string_view(utf8, size), conversation->accbuf, letters);
}

// Scans the `count` records of `syllables` syllables from `offset`, adding those that pass.
int scan_run(const Scan& scan, std::uint32_t offset, std::uint32_t count, int syllables) {
  ImeDict* dict = scan.dict;
  const std::uint64_t size = dictfmt::record_size(syllables);
  if (count == 0) return 0;
  if (dict->db == nullptr || offset > dict->db_length ||
      static_cast<std::uint64_t>(count) * size > dict->db_length - offset) {
    IME_ERROR("Dictionary \"%s\": an index entry points outside dict.db (offset %u, %u records "
              "of %d syllables, %zu bytes).", dict->path, offset, count, syllables, dict->db_length);
    return 0;
  }
  int added = 0;
  std::vector<SyllableVerdicts> typed = typed_syllables(scan);
  dictfmt::StoredRecord stored;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint64_t at = offset + i * size;
    if (!stored.locate(dict->db, dict->db_length, at, syllables)) break;
    if (!tones_fit(scan, stored) || !syllables_fit(scan, typed, stored)) continue;
    const std::uint32_t word_number = stored.word_number();
    const std::uint32_t base_frequency = stored.base_frequency();
    if (word_number >= dict->word_count) {
      IME_DEBUG("Dictionary \"%s\": word number %u is not below %u; skipped.", dict->path,
                word_number, dict->word_count);
      continue;
    }
    if (accessory_tested(scan.conversation)) {
      dictfmt::Record record;
      if (!dictfmt::decode_record(dict->db, dict->db_length, at, syllables, &record) ||
          !accessory_fits(scan, record)) {
        continue;
      }
    }

    ime_qrdb_entry_t entry{};
    entry.type = IME_RESULT_DICT_WORD;
    entry.plen = static_cast<std::uint8_t>(syllables);
    entry.rplen = static_cast<std::uint8_t>(scan.compared);
    entry.dbid = scan.dbid;
    entry.source = dict;
    entry.freq = clamp_to_int(base_frequency);
    entry.index = static_cast<std::int32_t>(word_number);
    entry.offset = static_cast<std::uint32_t>(at);
    entry.size = static_cast<std::uint32_t>(size);
    std::uint64_t counter = counted_part(ime_get_item_freq(&entry));
    entry.matval = clamp_to_int(counter + base_frequency);
    // A negative list code only counts the matches.
    if (scan.list_code >= 0 && ime_qrdb_add(scan.conversation, scan.list_code, &entry) < 0) break;
    ++added;
  }
  IME_DEBUG("Total %d cz...", added);
  return added;
}

std::optional<dictfmt::IndexValue> fetch_key(ImeDict* dict, const std::string& key) {
  std::optional<std::string> value = dictindex::fetch(dict->index, key);
  if (!value) return std::nullopt;
  auto parsed = dictfmt::parse_index_value(value->data(), value->size());
  if (!parsed) {
    IME_ERROR("Dictionary \"%s\": the index entry of '%s' is too short; skipped.", dict->path,
              key.c_str());
    return std::nullopt;
  }
  if (!parsed->list_intact) {
    IME_ERROR("Dictionary \"%s\": the list of longer keys of '%s' is damaged; its rest is "
              "ignored.", dict->path, key.c_str());
  }
  return parsed;
}

// Typed syllables from `first` to the end of the input, as far as the conversation holds them.
int syllables_from(const ime_conversation_t* conversation, int first) {
  if (conversation->pynum >= IME_MAX_SYLLABLES) return 0;  // not split (0xFFFF) or damaged
  return conversation->pynum - first + 1;
}

}  // namespace

int ime_dict_query(ImeDict* dict, int dbid, ime_conversation_t* conversation, const int* tones,
                   int first, int last, int list_code) {
  if (dict == nullptr || dict->index == nullptr || conversation == nullptr || tones == nullptr) {
    return 0;
  }
  if (first < 0 || last < first || last >= IME_MAX_SYLLABLES) return 0;
  const int span = last - first + 1;
  if (span > dictfmt::kMaxQueryKey) return 0;

  char key[IME_MAX_SYLLABLES + 1];
  ime_get_py_key(conversation->py, first, last, key);
  std::optional<dictfmt::IndexValue> value = fetch_key(dict, key);
  if (!value) return 0;

  Scan scan{dict, dbid, conversation, tones, first, span, list_code, false};
  const int added = scan_run(scan, value->offset, value->count, span);

  if (span > 4 && ime_fill_count != 0) {
    // Compare every typed syllable left, so that only words covering the whole input come in.
    int typed = std::min(ime_current_pynum + 1, syllables_from(conversation, first));
    scan.compared = std::max(span, std::min(typed, IME_MAX_SYLLABLES));
    scan.extension = true;
    for (const std::string& longer : value->longer_keys) {
      const int syllables = static_cast<int>(longer.size());
      if (syllables <= scan.compared || syllables > dictfmt::kMaxSyllables) continue;
      if (longer.compare(0, static_cast<std::size_t>(span), key) != 0) continue;
      if (std::optional<dictfmt::IndexValue> run = fetch_key(dict, longer)) {
        scan_run(scan, run->offset, run->count, syllables);
      }
    }
  }
  return added;
}

int ime_load_cz_lazy(const ime_qrdb_entry_t* entry, ime_query_result_t* record) {
  if (entry == nullptr || record == nullptr || entry->type != IME_RESULT_DICT_WORD) return -1;
  const auto* dict = static_cast<const ImeDict*>(entry->source);
  dictfmt::Record fields;
  if (dict == nullptr ||
      !dictfmt::decode_record(dict->db, dict->db_length, entry->offset, entry->plen, &fields)) {
    IME_ERROR("Load a dictionary word failed: its record is not inside dict.db.");
    return -1;
  }
  const int n = fields.syllables;
  record->type = IME_RESULT_DICT_WORD;
  record->dbid = entry->dbid;
  record->plen = static_cast<std::uint8_t>(n);
  record->jp = 0;
  record->rplen = entry->rplen;
  record->lazy = const_cast<ime_qrdb_entry_t*>(entry);
  std::memcpy(record->sm, fields.initials, static_cast<std::size_t>(n));
  std::memcpy(record->ym, fields.finals, static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k) record->tone[k] = static_cast<std::uint8_t>(dictfmt::tone_mask(fields.tones[k]));
  if (n < IME_MAX_SYLLABLES) {
    record->sm[n] = '\0';
    record->ym[n] = '\0';
    record->tone[n] = 0;
  }

  const int bytes = 2 * n;
  std::uint32_t size = IME_TEXT_BYTES;
  if (ime_convert_to_utf8_3(fields.text, bytes, reinterpret_cast<char*>(record->hz), &size) == nullptr) {
    return -1;
  }
  record->hlen = static_cast<std::uint8_t>(size);

  if (all_stars(fields.second, static_cast<std::size_t>(bytes))) {
    std::string traditional;
    const bool wanted = ime_current_convs != nullptr &&
                        (ime_current_convs->mode & IME_MODE_TRADITIONAL) != 0;
    if (!wanted || QAConvertChinese(reinterpret_cast<const char*>(record->hz), record->hlen,
                                    &traditional) < 0 ||
        traditional.size() >= IME_TEXT_BYTES) {
      traditional.assign(reinterpret_cast<const char*>(record->hz), record->hlen);
    }
    std::memcpy(record->thz, traditional.data(), traditional.size());
    record->thz[traditional.size()] = '\0';
    record->thlen = static_cast<std::uint8_t>(traditional.size());
  } else {
    size = IME_TEXT_BYTES;
    if (ime_convert_to_utf8_3(fields.second, bytes, reinterpret_cast<char*>(record->thz), &size) ==
        nullptr) {
      return -1;
    }
    record->thlen = static_cast<std::uint8_t>(size);
  }
  record->index = fields.word_number;
  record->freq = static_cast<std::uint32_t>(entry->freq);
  record->matval = static_cast<std::uint32_t>(entry->matval);
  return 0;
}
