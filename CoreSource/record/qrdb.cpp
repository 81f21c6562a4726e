#include "record/qrdb.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "record/engine_globals.h"
#include "record/traditional_form.h"

namespace {

constexpr std::uint32_t kInitialCapacity = 128;
constexpr std::uint32_t kGrowth = 64;

// The slot of each list code in ime_conversation_t::lists (codes 2, 5, 1, 7, 6, 3, 8).
int slot_of(int code) {
  switch (code) {
    case 2: return 0;
    case 5: return 1;
    case 1: return 2;
    case 7: return 3;
    case 6: return 4;
    case 3: return 5;
    case 8: return 6;
    default: return -1;
  }
}

constexpr std::uint32_t kMergeSlack = 32;
// Slots of all lists in the order IME_QRDB_ALL resets them.
constexpr int kAllCodes[] = {2, 5, 1, 7, 6, 3, 8};

// The match value of results that carry no strength of their own.
constexpr std::int32_t kResultMatval = -2;

bool resize(ime_qrdb_t* list, std::uint64_t capacity) {
  if (capacity > UINT32_MAX / sizeof(ime_qrdb_entry_t)) return false;
  void* items = std::realloc(list->items, capacity * sizeof(ime_qrdb_entry_t));
  if (items == nullptr) return false;
  list->items = static_cast<ime_qrdb_entry_t*>(items);
  list->capacity = static_cast<std::uint32_t>(capacity);
  return true;
}

bool grow(ime_qrdb_t* list) { return resize(list, std::uint64_t{list->capacity} + kGrowth); }

int larger_first(std::int32_t a, std::int32_t b) { return a > b ? -1 : (a < b ? 1 : 0); }

bool code_table_order() { return ime_mode == 2 && ime_plug_mode != 1; }

// Which of two syllable counts comes first: more syllables, except that with extended search an
// entry covering exactly the remaining syllables beats longer ones.
int by_syllables(int a, int b) {
  if (a == b) return 0;
  if (ime_fill_count != 0) {
    const int remaining = ime_current_pynum + 1;
    if (a == remaining && b > remaining) return -1;
    if (b == remaining && a > remaining) return 1;
  }
  return a > b ? -1 : 1;
}

int add_object(ime_conversation_t* conversation, int code, const ime_query_result_t* result,
               ime_qrdb_entry_t entry) {
  if (conversation == nullptr || result == nullptr || conversation->results == nullptr ||
      ime_qrdb_db(conversation, code) == nullptr) {
    return -1;
  }
  std::vector<ime_query_result_t>& items = conversation->results->items;
  if (items.size() >= static_cast<std::size_t>(INT32_MAX)) return -1;
  try {
    items.push_back(*result);
  } catch (const std::bad_alloc&) {
    return -1;
  }
  items.back().lazy = nullptr;
  entry.type = IME_RESULT_OTHER;
  entry.source = conversation->results;
  entry.index = static_cast<std::int32_t>(items.size() - 1);
  return ime_qrdb_add(conversation, code, &entry);
}

// Read from the conversation's own objects, never through the entry's pointer, so an entry
// copied from elsewhere cannot lead outside them.
int load_object(const ime_conversation_t* conversation, const ime_qrdb_entry_t* entry,
                ime_query_result_t* out) {
  const ime_result_objects_t* objects = conversation->results;
  if (objects == nullptr || entry->index < 0 ||
      static_cast<std::size_t>(entry->index) >= objects->items.size()) {
    return -1;
  }
  *out = objects->items[static_cast<std::size_t>(entry->index)];
  return 0;
}

// A sentence loaded in traditional mode gets its traditional form, kept in the object so that
// it is asked for once.
int load_sentence(ime_conversation_t* conversation, const ime_qrdb_entry_t* entry,
                  ime_query_result_t* out) {
  if (load_object(conversation, entry, out) != 0) return -1;
  if ((conversation->mode & IME_MODE_TRADITIONAL) == 0 || !ime_traditional_deferred(*out)) return 0;
  ime_query_result_t& object = conversation->results->items[static_cast<std::size_t>(entry->index)];
  ime_make_traditional(&object);
  *out = object;
  return 0;
}

}  // namespace

int ime_qrdb_init(ime_qrdb_t* list) {
  if (list == nullptr) return -1;
  list->items = static_cast<ime_qrdb_entry_t*>(std::calloc(kInitialCapacity, sizeof(ime_qrdb_entry_t)));
  list->capacity = list->items != nullptr ? kInitialCapacity : 0;
  list->count = 0;
  return list->items != nullptr ? 0 : -1;
}

void ime_qrdb_free(ime_qrdb_t* list) {
  if (list == nullptr) return;
  std::free(list->items);
  list->items = nullptr;
  list->capacity = 0;
  list->count = 0;
}

int ime_qrdb_init_all(ime_conversation_t* conversation) {
  if (conversation == nullptr) return -1;
  conversation->results = new (std::nothrow) ime_result_objects_t();
  if (conversation->results == nullptr) return -1;
  for (ime_qrdb_t*& list : conversation->lists) {
    list = static_cast<ime_qrdb_t*>(std::calloc(1, sizeof(ime_qrdb_t)));
    if (list == nullptr || ime_qrdb_init(list) != 0) {
      ime_qrdb_free_all(conversation);
      return -1;
    }
  }
  return 0;
}

void ime_qrdb_free_all(ime_conversation_t* conversation) {
  if (conversation == nullptr) return;
  for (ime_qrdb_t*& list : conversation->lists) {
    ime_qrdb_free(list);
    std::free(list);
    list = nullptr;
  }
  delete conversation->results;
  conversation->results = nullptr;
}

ime_qrdb_t* ime_qrdb_db(ime_conversation_t* conversation, int code) {
  int slot = slot_of(code);
  if (conversation == nullptr || slot < 0) return nullptr;
  return conversation->lists[slot];
}

int ime_qrdb_count(ime_conversation_t* conversation, int code) {
  ime_qrdb_t* list = ime_qrdb_db(conversation, code);
  return list != nullptr ? static_cast<int>(list->count) : -1;
}

int ime_qrdb_reset(ime_conversation_t* conversation, int code) {
  if (conversation == nullptr) return -1;
  if (code == IME_QRDB_ALL) {
    for (int each : kAllCodes) {
      if (ime_qrdb_t* list = ime_qrdb_db(conversation, each)) list->count = 0;
    }
    return ime_qrdb_reset_result(conversation);
  }
  ime_qrdb_t* list = ime_qrdb_db(conversation, code);
  if (list == nullptr) return -1;
  list->count = 0;
  return 0;
}

int ime_qrdb_add(ime_conversation_t* conversation, int code, const ime_qrdb_entry_t* entry) {
  ime_qrdb_t* list = ime_qrdb_db(conversation, code);
  if (list == nullptr || entry == nullptr) return -1;
  // The list grows by 64 entries once a single free slot is left.
  if (list->count + 1 >= list->capacity && !grow(list)) return static_cast<int>(list->count);
  list->items[list->count++] = *entry;
  return static_cast<int>(list->count);
}

int ime_qrdb_get_lazy(ime_conversation_t* conversation, int code, int i, ime_qrdb_entry_t** out) {
  ime_qrdb_t* list = ime_qrdb_db(conversation, code);
  if (list == nullptr) return -1;
  if (i < 0 || static_cast<std::uint32_t>(i) >= list->count) return -2;
  if (out != nullptr) *out = &list->items[i];
  return 0;
}

int ime_qrdb_reset_result(ime_conversation_t* conversation) {
  if (conversation == nullptr) return -1;
  // The objects are released with their memory: a composition can leave many behind.
  if (conversation->results != nullptr) std::vector<ime_query_result_t>().swap(conversation->results->items);
  return 0;
}

int ime_qrdb_get(ime_conversation_t* conversation, int code, int i, ime_query_result_t* out) {
  ime_qrdb_entry_t* entry = nullptr;
  if (out == nullptr || ime_qrdb_get_lazy(conversation, code, i, &entry) != 0) return -1;
  *out = {};
  switch (entry->type) {
    case IME_RESULT_HANZI: return ime_load_py_lazy(entry, out) == 0 ? 0 : -1;
    case IME_RESULT_DICT_WORD: return ime_load_cz_lazy(entry, out) == 0 ? 0 : -1;
    case IME_RESULT_USER_WORD: return ime_load_ucz_lazy(entry, out) == 0 ? 0 : -1;
    case IME_RESULT_SENTENCE: return load_sentence(conversation, entry, out);
    case IME_RESULT_OTHER: return load_object(conversation, entry, out);
    default: return -2;
  }
}

int ime_qrdb_copy(ime_conversation_t* conversation, int to, int from) {
  ime_qrdb_t* target = ime_qrdb_db(conversation, to);
  ime_qrdb_t* source = ime_qrdb_db(conversation, from);
  if (target == nullptr || source == nullptr) return -1;
  const std::uint32_t added = source->count;
  if (added == 0) return 0;
  const std::uint64_t needed = std::uint64_t{target->count} + added;
  if (needed >= target->capacity && !resize(target, needed + kMergeSlack)) return -1;
  // Copying a list onto itself reads only the entries that were there before.
  std::memmove(target->items + target->count, source->items, added * sizeof(ime_qrdb_entry_t));
  target->count = static_cast<std::uint32_t>(needed);
  return 0;
}

int ime_qrdb_compare(const ime_qrdb_entry_t* a, const ime_qrdb_entry_t* b) {
  if (code_table_order()) return larger_first(a->freq, b->freq);
  if (a->type != b->type && (a->type == IME_RESULT_OTHER || b->type == IME_RESULT_OTHER)) {
    return a->type == IME_RESULT_OTHER ? -1 : 1;
  }
  if (int order = by_syllables(a->plen, b->plen)) return order;
  if (int order = larger_first(a->matval, b->matval)) return order;
  return larger_first(a->freq, b->freq);
}

int ime_qrdb_sort(ime_conversation_t* conversation, int code) {
  ime_qrdb_t* list = ime_qrdb_db(conversation, code);
  if (list == nullptr) return -1;
  // A stable sort, so entries the keys cannot tell apart keep the order their query gave.
  std::stable_sort(list->items, list->items + list->count,
                   [](const ime_qrdb_entry_t& a, const ime_qrdb_entry_t& b) {
                     return ime_qrdb_compare(&a, &b) < 0;
                   });
  return 0;
}

int ime_qrdb_add_result(ime_conversation_t* conversation, int code, const ime_query_result_t* result) {
  ime_qrdb_entry_t entry{};
  entry.freq = 0;
  entry.matval = kResultMatval;
  entry.plen = 0;
  return add_object(conversation, code, result, entry);
}

int ime_qrdb_add_result2(ime_conversation_t* conversation, int code, const ime_query_result_t* result) {
  if (result == nullptr) return -1;
  ime_qrdb_entry_t entry{};
  // Both keys are read as signed; a frequency past INT32_MAX still ranks as the strongest.
  entry.freq = static_cast<std::int32_t>(std::min<std::uint32_t>(result->freq, INT32_MAX));
  entry.matval = static_cast<std::int32_t>(result->matval & 0x7FFFFFFFu);
  entry.plen = result->plen;
  return add_object(conversation, code, result, entry);
}

const char* ime_tone_str(const std::uint8_t* tones, int n) {
  thread_local char text[IME_MAX_SYLLABLES + 1];
  const int count = tones == nullptr ? 0 : std::clamp(n, 0, IME_MAX_SYLLABLES);
  for (int k = 0; k < count; ++k) {
    const std::uint8_t tone = tones[k];
    text[k] = tone < 10 ? static_cast<char>('0' + tone)
                        : (tone < 16 ? static_cast<char>('a' + tone - 10) : '0');
  }
  text[count] = '\0';
  return text;
}
