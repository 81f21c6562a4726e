// Finding the user phrases that match the typed syllables of a conversation.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "base/freq.h"
#include "base/imelog.h"
#include "dict/qdict.h"
#include "record/engine_globals.h"
#include "tables/acc_filter.h"
#include "tables/accode.h"
#include "tables/syllable_match.h"
#include "user/imeuser2.h"
#include "user/udb_store.h"

namespace {

// The tone mask a typed tone asks for; 15 (any) when no tone was typed.
int wanted_mask(std::uint8_t tone) {
  switch (tone) {
    case 1: return 1;
    case 2: return 2;
    case 3: return 4;
    case 4: return 8;
    default: return IME_UDB_ANY_TONE;
  }
}

// A typed tone keeps the phrases whose mask holds it. A phrase stored without a known tone
// (mask 0 or 15) stays: the user typed a tone, the phrase simply never recorded one.
bool tones_fit(const ime_conversation_t* conversation, int first, const UDBItem& item) {
  for (int j = 0; j < item.syllables; ++j) {
    const int wanted = wanted_mask(conversation->tones[first + j]);
    const int stored = item.tones[j];
    if (wanted == IME_UDB_ANY_TONE || stored == 0 || stored == IME_UDB_ANY_TONE) continue;
    if ((stored & wanted) == 0) return false;
  }
  return true;
}

bool accessory_fits(const ime_conversation_t* conversation, const UDBItem& item) {
  if (conversation->acclen == 0 || kAccCodeDict == nullptr) return true;
  const int letters = std::min<int>(conversation->acclen, IME_MAX_ACCESSORY_KEYS);
  if (item.syllables < letters) {
    IME_DEBUG("Acc off[%d] word count=%d.", letters, item.syllables);
    return false;
  }
  const bool traditional = (conversation->mode & IME_MODE_TRADITIONAL) != 0;
  const std::string_view text = traditional ? std::string_view(item.text2, item.text2_length)
                                            : std::string_view(item.text, item.text_length);
  return ime_acc_word_passes(text, conversation->accbuf, letters);
}

std::int32_t ranking_half(std::uint32_t freq) {
  return static_cast<std::int32_t>(ime_freq_mode != 0 ? (freq & QAFREQ_COUNT_MAX) : (freq & 0x7F000000u));
}

}  // namespace

int ime_udb_valid(const ime_conversation_t* conversation, int first, int last, const UDBItem* item) {
  if (conversation == nullptr || item == nullptr || first < 0 || last < first || last >= IME_MAX_SYLLABLES ||
      last - first + 1 > item->syllables) {
    return 0;
  }
  for (int k = first; k <= last; ++k) {
    char typed[IME_SYLLABLE_BYTES + 1] = {};
    std::memcpy(typed, conversation->py[k], IME_SYLLABLE_BYTES);
    const int j = k - first;
    if (!ime_syllable_accepts(typed, item->initials[j], item->finals[j])) return 0;
  }
  return 1;
}

int ime_udb_query(ime_conversation_t* conversation, int first, int last, int list_code) {
  if (ime_udb == nullptr || conversation == nullptr || first < 0 || last < first) return 0;
  last = std::min(last, IME_MAX_SYLLABLES - 1);
  int found = 0;
  // Longest spans first; a user phrase has at most IME_UDB_MAX_SYLLABLES syllables.
  const int longest = std::min(last, first + IME_UDB_MAX_SYLLABLES - 1);
  for (int end = longest; end > first; --end) {
    char key[IME_MAX_SYLLABLES + 1];
    ime_get_py_key(conversation->py, first, end, key);
    auto array = ime_udb->arrays.find(key);
    if (array == ime_udb->arrays.end()) continue;
    for (UDBItem* item : array->second) {
      if (item->syllables != end - first + 1) continue;
      if (!tones_fit(conversation, first, *item)) continue;
      if (!ime_udb_valid(conversation, first, end, item)) continue;
      if (!accessory_fits(conversation, *item)) continue;
      ++found;
      if (list_code < 0) continue;
      if (end == last) ime_am_flag |= 1;
      ime_qrdb_entry_t entry{};
      entry.type = IME_RESULT_USER_WORD;
      entry.plen = item->syllables;
      entry.rplen = item->syllables;
      entry.source = item;
      entry.freq = static_cast<std::int32_t>(IME_UDB_NEW_COUNT);
      entry.matval = ranking_half(item->freq);
      ime_qrdb_add(conversation, list_code, &entry);
      IME_DEBUG("Get a udb item hz=[%s][%08x]", item->text, item->freq);
    }
  }
  return found;
}
