#include "query/candidate_freq.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "base/freq.h"
#include "base/imelog.h"
#include "dict/cmphplug.h"
#include "dict/dictpool.h"
#include "dict/qdict.h"
#include "tables/hzfreq.h"
#include "user/imeuser2.h"

namespace {

constexpr std::uint32_t kClassField = QAFREQ_CLASS_MAX << 24;
constexpr std::uint32_t kUserCountFloor = 10;

// The dictionary a candidate came from, when it is still open.
ImeDict* dictionary_of(const ime_query_result_t* candidate) {
  if (candidate->dbid < 0 || candidate->dbid >= ime_dict_count) return nullptr;
  return ime_dict_pool[candidate->dbid];
}

bool initial_only(const ime_query_result_t* candidate) { return candidate->jp == 1; }

// The user phrase behind a list entry, when the database still holds it: a candidate can
// outlive a reload of the database, and its item must not be written then.
UDBItem* user_item(const ime_qrdb_entry_t* entry) {
  if (entry == nullptr || entry->type != IME_RESULT_USER_WORD || entry->source == nullptr) {
    return nullptr;
  }
  std::vector<const UDBItem*> held = ime_udb_items();
  if (std::find(held.begin(), held.end(), entry->source) == held.end()) return nullptr;
  return static_cast<UDBItem*>(entry->source);
}

// The user phrase a candidate shows. Found by its content, not through the candidate's pointer
// into the result lists: a candidate kept in the chosen segments outlives the list entries it
// was loaded from.
UDBItem* user_item(const ime_query_result_t* candidate) {
  const std::size_t syllables = candidate->plen;
  if (syllables == 0 || syllables > sizeof(UDBItem{}.initials)) return nullptr;
  for (const UDBItem* item : ime_udb_items()) {
    if (item->syllables == syllables && item->text_length == candidate->hlen &&
        std::memcmp(item->text, candidate->hz, candidate->hlen) == 0 &&
        std::memcmp(item->initials, candidate->sm, syllables) == 0 &&
        std::memcmp(item->finals, candidate->ym, syllables) == 0) {
      return const_cast<UDBItem*>(item);
    }
  }
  return nullptr;
}

// A chosen user word counts one more use (up to 255) at the present time.
void note_use(UDBItem* item) {
  if (item->used < 255) ++item->used;
  item->time = static_cast<std::int64_t>(std::time(nullptr));
}

template <typename Rule>
void change_hanzi(const ime_query_result_t* candidate, Rule rule) {
  const bool by_initial = initial_only(candidate);
  const std::uint32_t old = ime_hzfreq_read(candidate->index, by_initial);
  ime_hzfreq_write(candidate->index, by_initial, rule(old));
}

}  // namespace

std::uint32_t ime_counting_field(std::uint32_t word, int mode) {
  return mode == 0 ? word & kClassField : word & QAFREQ_COUNT_MAX;
}

std::uint32_t ime_hanzi_freq_lowered(std::uint32_t word, int mode) {
  if (mode == 0) {
    const std::uint32_t klass = (word & kClassField) >> 24;
    return klass == 0 ? word : ime_freq_set(word, klass - 1, 0);
  }
  return ime_freq_decreased(word, mode, 0);
}

std::uint32_t ime_user_freq_lowered(std::uint32_t word, int mode) {
  if (mode == 0) return ime_hanzi_freq_lowered(word, 0);
  const std::uint32_t count = word & QAFREQ_COUNT_MAX;
  std::uint32_t lowered = static_cast<std::uint32_t>(std::uint64_t{count} * 7 / 10);
  if (lowered < kUserCountFloor) lowered = count < kUserCountFloor ? count : kUserCountFloor;
  return (word & ~QAFREQ_COUNT_MAX) | lowered;
}

std::uint32_t ime_get_hzfreq(const ime_qrdb_entry_t* entry) {
  if (entry == nullptr || entry->index < 0) return 0;
  switch (entry->type) {
    case IME_RESULT_HANZI:
      return ime_counting_field(
          ime_hzfreq_read(static_cast<std::uint32_t>(entry->index), entry->flag == 1), ime_freq_mode);
    case IME_RESULT_DICT_WORD:
      return ime_counting_field(ime_get_item_freq(entry), ime_freq_mode);
    case IME_RESULT_USER_WORD:
      // The user phrase query stores the item's count as the entry's match value.
      return static_cast<std::uint32_t>(entry->matval);
    default:
      return 0;
  }
}

int ime_inc_hzfreq(const ime_query_result_t* candidate) {
  if (candidate == nullptr) return 0;
  const int mode = ime_freq_mode;
  switch (candidate->type) {
    case IME_RESULT_HANZI:
      change_hanzi(candidate, [mode](std::uint32_t v) { return ime_freq_increased(v, mode); });
      break;
    case IME_RESULT_DICT_WORD:
      ime_dict_inc_freq(dictionary_of(candidate), candidate->index);
      break;
    case IME_RESULT_USER_WORD:
      if (UDBItem* item = user_item(candidate)) {
        item->freq = ime_freq_increased(item->freq, mode);
        note_use(item);
      }
      break;
    case IME_RESULT_OTHER:
      ime_plug_inc_freq(candidate);
      break;
    default:
      break;
  }
  return 0;
}

int ime_dec_hzfreq(const ime_query_result_t* candidate) {
  if (candidate == nullptr) return 0;
  const int mode = ime_freq_mode;
  switch (candidate->type) {
    case IME_RESULT_HANZI:
      change_hanzi(candidate, [mode](std::uint32_t v) { return ime_hanzi_freq_lowered(v, mode); });
      break;
    case IME_RESULT_DICT_WORD:
      ime_dict_dec_freq(dictionary_of(candidate), candidate->index);
      break;
    case IME_RESULT_USER_WORD:
      if (UDBItem* item = user_item(candidate)) item->freq = ime_user_freq_lowered(item->freq, mode);
      break;
    case IME_RESULT_OTHER:
      ime_plug_dec_freq(candidate);
      break;
    default:
      break;
  }
  return 0;
}

int ime_set_hzfreq(const ime_query_result_t* candidate, std::uint32_t value) {
  if (candidate == nullptr) return 0;
  const int mode = ime_freq_mode;
  switch (candidate->type) {
    case IME_RESULT_HANZI:
      change_hanzi(candidate, [mode, value](std::uint32_t v) { return ime_freq_set(v, value, mode); });
      break;
    case IME_RESULT_DICT_WORD:
      ime_dict_set_freq(dictionary_of(candidate), candidate->index, value);
      break;
    case IME_RESULT_USER_WORD:
      if (UDBItem* item = user_item(candidate)) {
        item->freq = ime_freq_set(item->freq, value, mode);
        IME_DEBUG("set the user cz [%s] freq=%08x", item->text, item->freq);
        note_use(item);
        IME_DEBUG("set the user New=%08x usedTimes=%d", item->freq, item->used);
      }
      break;
    case IME_RESULT_OTHER:
      ime_plug_set_freq(candidate, value);
      break;
    default:
      break;
  }
  return 0;
}

int ime_inc_hzfreq2(const ime_qrdb_entry_t* entry) {
  if (entry == nullptr || entry->index < 0) return 0;
  if (entry->type == IME_RESULT_DICT_WORD) {
    ime_dict_inc_freq(static_cast<ImeDict*>(entry->source), static_cast<std::uint32_t>(entry->index));
  } else if (UDBItem* item = user_item(entry)) {
    item->freq = ime_freq_increased(item->freq, ime_freq_mode);
  }
  return 0;
}

int ime_dec_hzfreq2(const ime_qrdb_entry_t* entry) {
  if (entry == nullptr || entry->index < 0) return 0;
  if (entry->type == IME_RESULT_DICT_WORD) {
    ime_dict_dec_freq(static_cast<ImeDict*>(entry->source), static_cast<std::uint32_t>(entry->index));
  } else if (UDBItem* item = user_item(entry)) {
    item->freq = ime_user_freq_lowered(item->freq, ime_freq_mode);
  }
  return 0;
}

int ime_note_user_word_use(const ime_query_result_t* candidate) {
  if (candidate == nullptr || candidate->type != IME_RESULT_USER_WORD) return -1;
  UDBItem* item = user_item(candidate);
  if (item == nullptr) return -1;
  note_use(item);
  return 0;
}

int ime_delete_user_phrase(const ime_query_result_t* candidate) {
  if (candidate == nullptr) return 0;
  if (candidate->type == IME_RESULT_DICT_WORD) {
    ime_dict_mark_deleted(dictionary_of(candidate), candidate->index);
  } else if (candidate->type == IME_RESULT_USER_WORD) {
    // Removed from memory but not yet written still takes the word off the page (the next
    // write stores the removal); only a word not found fails.
    return ime_udb_remove(candidate) == -1 ? -1 : 0;
  }
  return 0;
}

int ime_add_user_phrase(const ime_query_result_t* phrase) {
  if (phrase == nullptr) return -1;
  return ime_udb_add(phrase);
}
