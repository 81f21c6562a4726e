// Frequency learning of a selection: choosing a candidate that was not the first one lowers every
// candidate of the list and lifts the chosen one above them, so the next page of the same input
// offers it earlier.
#include <algorithm>
#include <cstdint>

#include "base/freq.h"
#include "match/convs_steps.h"
#include "match/imeconvs2.h"
#include "query/candidate_freq.h"
#include "record/qrdb.h"
#include "start/config_reload.h"

namespace {

// A learned value never climbs past this (the counters' own ceiling lies above it).
constexpr double kLearnedCeiling = 5000000.0;
constexpr std::uint32_t kLearnedCapped = 5000001;

// The highest value (learned count plus base frequency) of the single hanzi and of the other
// candidates of list 3, lowering each one's count on the way.
struct Strongest {
  long long single = -1;
  long long word = -1;
};

Strongest lower_all_candidates(ime_conversation_t* c) {
  Strongest strongest;
  const int count = ime_qrdb_count(c, IME_LIST_CANDIDATES);
  for (int i = 0; i < count; ++i) {
    ime_qrdb_entry_t* entry = nullptr;
    if (ime_qrdb_get_lazy(c, IME_LIST_CANDIDATES, i, &entry) != 0) continue;
    const long long value = static_cast<long long>(ime_get_hzfreq(entry)) + entry->freq;
    if (entry->type == IME_RESULT_HANZI) {
      if (ime_fix_freq != 0) continue;
      strongest.single = std::max(strongest.single, value);
      ime_query_result_t hanzi{};
      hanzi.type = IME_RESULT_HANZI;
      hanzi.index = static_cast<std::uint32_t>(entry->index);
      hanzi.jp = entry->flag;
      ime_dec_hzfreq(&hanzi);
    } else {
      strongest.word = std::max(strongest.word, value);
      ime_dec_hzfreq2(entry);  // dictionary and user words; others keep no count
    }
  }
  return strongest;
}

// The value that puts the chosen candidate (value `mine`) ahead of the strongest one.
std::uint32_t lifted_value(long long strongest, long long mine, bool single) {
  const double top = static_cast<double>(std::max(strongest, 0LL));
  double value;
  if (mine <= 0) {
    value = top * 0.3;
  } else {
    const double ratio = top / static_cast<double>(mine);
    double k;
    if (single) {
      k = ratio > 5 ? 0.6 : ratio > 2 ? 0.5 : 0.4;
    } else {
      k = ratio > 10 ? 0.6 : ratio > 6 ? 0.5 : ratio > 2 ? 0.4 : 0.35;
    }
    value = static_cast<double>(mine) + top * k;
  }
  if (value > kLearnedCeiling) return kLearnedCapped;
  return static_cast<std::uint32_t>(value);
}

}  // namespace

void ime_convs_learn_selection(ime_conversation_t* c, int i) {
  if (i < 0 || i >= c->ncand) return;
  const bool first = i == 0 && c->page == 0;
  const ime_query_result_t& chosen = c->cands[i];

  long long mine = chosen.freq;
  ime_qrdb_entry_t* entry = nullptr;
  const int at = ime_convs_candidate_list_index(c, i);
  if (at >= 0 && ime_qrdb_get_lazy(c, IME_LIST_CANDIDATES, at, &entry) == 0) {
    mine += ime_get_hzfreq(entry);
  }
  const Strongest strongest = first ? Strongest{} : lower_all_candidates(c);

  const bool single = chosen.type == IME_RESULT_HANZI;
  if (single && ime_fix_freq != 0) return;
  bool noted_use = false;
  if (ime_freq_mode == 0) {
    ime_set_hzfreq(&chosen, static_cast<std::uint32_t>(ime_hzfreq_val + 1));
    noted_use = chosen.type == IME_RESULT_USER_WORD;  // setting a user word counts its use
  } else if (ime_freq_mode == 1 && !first) {
    ime_set_hzfreq(&chosen, lifted_value(single ? strongest.single : strongest.word, mine, single));
    noted_use = chosen.type == IME_RESULT_USER_WORD;
  }
  if (first && chosen.type == IME_RESULT_USER_WORD && !noted_use) ime_note_user_word_use(&chosen);
}
