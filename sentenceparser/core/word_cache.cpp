#include "sentenceparser/core/word_cache.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "CoreSource/tables/pinyin_code.h"
#include "sentenceparser/core/dan_table.h"
#include "sentenceparser/core/syllable_numbers.h"
#include "sentenceparser/core/word_library.h"

namespace sentence {

namespace {

constexpr unsigned char kMissFlags = 0x80;
constexpr int kCapacityMin = 25;
constexpr int kCapacityMax = 255;
// Abbreviation slots are numbered by two letters, not by syllables, so the character table's
// rows say nothing about how busy they are: one size for all.
constexpr int kJpSlotCapacity = 64;
constexpr int kJpSlots = 26 * 26;

struct WordEntry {
  char key[15];
  char text[15];
  std::int16_t weight;
  unsigned char flags;
  unsigned char found;
};

struct JpEntry {
  char key[10];
  char text[22];
  std::int32_t weight;
  unsigned char found;
};

template <typename Entry>
struct Slot {
  unsigned char wrapped = 0;
  unsigned char capacity = 0;
  unsigned char next = 0;
  std::vector<Entry> entries;

  void allocate(int size) {
    capacity = static_cast<unsigned char>(std::clamp(size, kCapacityMin, kCapacityMax));
    entries.assign(capacity, Entry{});
    wrapped = 0;
    next = 0;
  }
  int valid() const { return wrapped != 0 ? capacity : next; }
  Entry& take_next() {
    Entry& entry = entries[next];
    if (++next >= capacity) {
      next = 0;
      wrapped = 1;
    }
    return entry;
  }
};

std::vector<Slot<WordEntry>> word_slots;
std::vector<Slot<JpEntry>> jp_slots;

// Copies at most size - 1 bytes of `text` and terminates; false when the text does not fit.
template <std::size_t kSize>
bool store_text(char (&field)[kSize], const char* text, std::size_t length) {
  if (length >= kSize) return false;
  std::memcpy(field, text, length);
  field[length] = '\0';
  return true;
}

std::size_t word_key_length(const char* key, int n) {
  const std::size_t length = n == 2 ? 6 : static_cast<std::size_t>(2 * n);
  return strnlen(key, length);
}

// The slot of a word key: the syllable number of its first syllable, or -1.
int word_slot(const char* key, int n) {
  if (key == nullptr || n < 2 || n > 7) return -1;
  const char code[2] = {key[n == 2 ? 4 : n], '\0'};
  char syllable[16] = {key[0]};
  if (code[0] == '\0' || ime_trans_ym(code, syllable + 1, 1) != 0) return -1;
  const int number = getpyno(syllable);
  if (number < 0 || static_cast<std::size_t>(number) >= word_slots.size()) return -1;
  return word_slots[number].entries.empty() ? -1 : number;
}

// Among the entries that count, the first, replaced by any later one of at least its weight.
template <typename Entry, typename Counts>
const Entry* best_entry(const Slot<Entry>& slot, Counts counts) {
  const Entry* taken = nullptr;
  for (int i = 0; i < slot.valid(); ++i) {
    const Entry& entry = slot.entries[i];
    if (!counts(entry)) continue;
    if (taken == nullptr || entry.weight >= taken->weight) taken = &entry;
  }
  return taken;
}

}  // namespace

void incache_init() {
  if (!word_slots.empty()) return;
  word_slots.resize(kDanRows);
  for (int s = 0; s < kDanRows; ++s) word_slots[s].allocate(3 * DanTab[s].count);
}

void jpcache_init() {
  if (!jp_slots.empty()) return;
  jp_slots.resize(kJpSlots);
  for (auto& slot : jp_slots) slot.allocate(kJpSlotCapacity);
}

void FreeCache() { std::vector<Slot<WordEntry>>().swap(word_slots); }
void FreeJPCache() { std::vector<Slot<JpEntry>>().swap(jp_slots); }

int in_incache(const char* key, int n, char* text, int* weight, unsigned char* flags) {
  if (n <= 2 || text == nullptr) return -1;
  const int slot = word_slot(key, n);
  if (slot < 0) return -1;
  char wanted[15] = {};
  if (!store_text(wanted, key, word_key_length(key, n))) return -1;
  const WordEntry* taken = best_entry(word_slots[slot], [&](const WordEntry& entry) {
    return std::strcmp(entry.key, wanted) == 0 && accordhz(text, entry.text) == 1;
  });
  if (taken == nullptr) return -1;
  if (taken->found != 0) {
    std::strcpy(text, taken->text);
    if (weight != nullptr) *weight = taken->weight;
    if (flags != nullptr) *flags = taken->flags;
  }
  return taken->found;
}

int addinto_incache(const char* key, int n, const char* text, int weight, unsigned char flags,
                    int found) {
  const int slot = word_slot(key, n);
  if (slot < 0) return 0;
  WordEntry entry{};
  if (!store_text(entry.key, key, word_key_length(key, n))) return 0;
  if (found != 0) {
    if (text == nullptr || !store_text(entry.text, text, strnlen(text, sizeof entry.text))) {
      return 0;
    }
    entry.weight = static_cast<std::int16_t>(std::clamp(weight, -32768, 32767));
    entry.flags = flags;
    entry.found = 1;
  } else {
    entry.flags = kMissFlags;
  }
  word_slots[slot].take_next() = entry;
  return 1;
}

int in_jpcache(const char* key, int n, char* text, int* weight) {
  if (n < 2 || key == nullptr || text == nullptr) return -1;
  const int slot = GetPy2No(key);
  if (slot < 0) return 0;
  if (jp_slots.empty()) return -1;
  char wanted[10] = {};
  if (!store_text(wanted, key, strnlen(key, static_cast<std::size_t>(n)))) return -1;
  const JpEntry* taken = best_entry(jp_slots[slot], [&](const JpEntry& entry) {
    return std::strcmp(entry.key, wanted) == 0 && accordhz(text, entry.text) == 1;
  });
  if (taken == nullptr) return -1;
  if (taken->found != 0) {
    std::strcpy(text, taken->text);
    if (weight != nullptr) *weight = taken->weight;
  }
  return taken->found;
}

int addinto_jpcache(const char* key, int n, const char* text, int weight, int found) {
  if (n < 2 || key == nullptr) return -1;
  const int slot = GetPy2No(key);
  if (slot < 0 || jp_slots.empty()) return 0;
  JpEntry entry{};
  if (!store_text(entry.key, key, strnlen(key, static_cast<std::size_t>(n)))) return 0;
  if (found != 0) {
    if (text == nullptr || !store_text(entry.text, text, strnlen(text, sizeof entry.text))) {
      return 0;
    }
    entry.weight = weight;
    entry.found = 1;
  }
  jp_slots[slot].take_next() = entry;
  return 1;
}

}  // namespace sentence
