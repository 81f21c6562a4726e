#include "qrdb.h"

#include <cstdlib>
#include <cstring>

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

bool grow(ime_qrdb_t* list) {
  std::uint32_t capacity = list->capacity + kGrowth;
  void* items = std::realloc(list->items, capacity * sizeof(ime_qrdb_entry_t));
  if (items == nullptr) return false;
  list->items = static_cast<ime_qrdb_entry_t*>(items);
  list->capacity = capacity;
  return true;
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
    for (ime_qrdb_t* list : conversation->lists) {
      if (list != nullptr) list->count = 0;
    }
    return 0;
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
