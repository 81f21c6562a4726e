// Candidate gathering: the phrases and single hanzi of the unchosen syllables, and the
// whole-sentence candidate composed from them.
#include "match/imeconvs2.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "base/settings_keys.h"
#include "match/convs_sentence.h"
#include "match/imeconvs1.h"
#include "query/phrase_query.h"
#include "query/pyquery.h"
#include "record/engine_globals.h"
#include "record/qrdb.h"
#include "tables/vmode.h"
#include "text/result_text.h"

char last_py[128] = "";
std::uint8_t last_tone[IME_MAX_SYLLABLES] = {};
int ime_has_abbr = 0;
std::vector<std::string> ime_abbr_result;
char hm_buf[IME_HM_BUF_BYTES] = "";
int hm_buf_len = 0;
char hm_fen[IME_MAX_SYLLABLES] = {};
long long ime_duration = 0;

namespace {

// What list 2 was filled for besides its syllable and tone: the conversation, and whether the
// traditional extension table was part of the query.
const ime_conversation_t* cached_for = nullptr;
bool cached_traditional = false;

bool hanzi_list_current(const ime_conversation_t* c) {
  const int at = c->pyoff;
  return cached_for == c && cached_traditional == ((c->mode & IME_MODE_TRADITIONAL) != 0) &&
         std::strncmp(last_py, c->py[at], sizeof last_py) == 0 && last_py[0] != '\0' &&
         last_tone[at] == c->tones[at];
}

void fill_hanzi_list(ime_conversation_t* c) {
  const int at = c->pyoff;
  if ((c->mode & IME_MODE_ACCESSORY) != 0 || !hanzi_list_current(c)) {
    ime_qrdb_reset(c, IME_LIST_HANZI);
    std::strncpy(last_py, c->py[at], sizeof last_py - 1);
    cached_for = c;
    cached_traditional = (c->mode & IME_MODE_TRADITIONAL) != 0;
    ime_query_py_list(c, c->tones[at], c->py[at], IME_LIST_HANZI);
    ime_qrdb_sort(c, IME_LIST_HANZI);
  }
  last_tone[at] = c->tones[at];
}

// The whole input as an abbreviation key: its syllables joined (the keys in double pinyin).
// Switched off (EnableUserString), the user's strings are not offered here either.
void look_up_abbreviation(const ime_conversation_t* c) {
  if (!ime_setting_bool("EnableUserString")) return;
  std::string key;
  if (ime_mode == 1) {
    key.assign(c->inbuf, c->inoff);
  } else {
    for (int i = 0; i <= c->pynum && i < IME_MAX_SYLLABLES; ++i) {
      key.append(c->py[i], strnlen(c->py[i], IME_SYLLABLE_BYTES));
    }
  }
  const ime_vmode_entry_t* entry = QAAbbrGetItem(key.c_str());
  if (entry == nullptr) return;
  ime_abbr_result = entry->items;  // the table may be reloaded before the next build
  ime_has_abbr = 1;
}

// The first candidate of a list that loads.
bool first_of(ime_conversation_t* c, int code, ime_query_result_t* out) {
  const int count = ime_qrdb_count(c, code);
  for (int i = 0; i < count; ++i) {
    if (ime_qrdb_get(c, code, i, out) == 0) return true;
  }
  return false;
}

// Syllables whose single character is the usual reading inside a longer input ("de" 的, "hen"
// 很, "dou" 都, "qu" 去): the phrases they would start are rarely what was meant.
bool usually_alone(const char* syllable) {
  for (const char* alone : {"de", "hen", "dou", "qu"}) {
    if (std::strcmp(syllable, alone) == 0) return true;
  }
  return false;
}

void append_to_sentence(ime_conversation_t* c, const ime_query_result_t& part, int syllables,
                        bool second_part) {
  ime_query_result_t& s = c->sentence;
  const int at = s.plen;
  const int n = std::min(syllables, IME_MAX_SYLLABLES - at);
  if (n > 0) {
    std::memcpy(s.sm + at, part.sm, static_cast<std::size_t>(n));
    std::memcpy(s.ym + at, part.ym, static_cast<std::size_t>(n));
    std::memcpy(s.tone + at, part.tone, static_cast<std::size_t>(n));
    s.plen = static_cast<std::uint8_t>(at + n);
    s.rplen = s.plen;
  }
  ime_text_field_append(s.hz, &s.hlen,
                        std::string_view(reinterpret_cast<const char*>(part.hz),
                                         strnlen(reinterpret_cast<const char*>(part.hz), part.hlen)));
  ime_text_field_append(s.thz, &s.thlen,
                        std::string_view(reinterpret_cast<const char*>(part.thz),
                                         strnlen(reinterpret_cast<const char*>(part.thz), part.thlen)));
  s.type = IME_RESULT_SENTENCE;
  if (second_part) c->mode |= IME_MODE_SENTENCE;
}

void no_sentence(ime_conversation_t* c) {
  std::memset(&c->sentence, 0, sizeof c->sentence);
  c->mode &= ~IME_MODE_SENTENCE;
}

// The greedy sentence: from the first unchosen syllable on, the longest phrase that starts at
// each position, else its most used character.
void compose_greedily(ime_conversation_t* c) {
  // The phrase queries of later positions must not tell the matchers that a phrase covers the
  // whole input.
  const int am_flag = ime_am_flag;
  int composed = 0;
  for (int e = c->pyoff; e <= c->pynum && e < IME_MAX_SYLLABLES;) {
    c->cmpoff = static_cast<std::uint16_t>(e);
    ime_query_result_t part{};
    bool found = false;
    if (composed > 0) {
      ime_qrdb_reset(c, IME_LIST_LATER_HANZI);
      ime_query_py_list(c, c->tones[e], c->py[e], IME_LIST_LATER_HANZI);
      ime_qrdb_sort(c, IME_LIST_LATER_HANZI);
      if (ime_qrdb_count(c, IME_LIST_LATER_HANZI) <= 0) {
        no_sentence(c);
        break;
      }
      if (e + 1 < c->pynum && usually_alone(c->py[e])) {
        found = first_of(c, IME_LIST_LATER_HANZI, &part);
      }
    }
    if (!found && e != c->pynum) {
      if (composed == 0) {
        found = first_of(c, IME_LIST_PHRASES, &part);
      } else {
        ime_qrdb_reset(c, IME_LIST_LATER_PHRASES);
        ime_query_phrase_list(c, e, c->pynum, IME_LIST_LATER_PHRASES);
        ime_qrdb_sort(c, IME_LIST_LATER_PHRASES);
        found = first_of(c, IME_LIST_LATER_PHRASES, &part);
      }
    }
    if (!found) {
      found = first_of(c, composed == 0 ? IME_LIST_HANZI : IME_LIST_LATER_HANZI, &part);
    }
    if (!found) {
      no_sentence(c);
      break;
    }
    int syllables = ime_convs_segment_syllables(&part);
    if (syllables <= 0) syllables = 1;
    append_to_sentence(c, part, syllables, composed > 0);
    composed += syllables;
    e += syllables;
  }
  ime_am_flag = am_flag;
}

}  // namespace

void ime_forget_hanzi_cache() {
  last_py[0] = '\0';
  std::memset(last_tone, 0, sizeof last_tone);
  cached_for = nullptr;
}

int ime_current_page_size() { return ime_convs_page_capacity(ime_page_size); }

void ime_convs_forget_shown(ime_conversation_t* c) {
  if (c == nullptr) return;
  if (c->shown != nullptr) c->shown->indexes.clear();
  if (c->seen != nullptr) c->seen->index_of.clear();
}

int ime_convs_match_py2(ime_conversation_t* c) {
  if (c == nullptr || c->inoff == 0) return -1;
  ime_current_convs = c;
  c->page = 0;
  ime_convs_forget_shown(c);
  no_sentence(c);
  c->sentence.type = IME_RESULT_USER_WORD;  // "nothing composed" until a sentence is
  ime_qrdb_reset(c, IME_LIST_PHRASES);
  ime_has_abbr = 0;
  ime_abbr_result.clear();
  if (ime_convs_remaining_syllables(c) <= 0) {
    // Nothing left to query: the hanzi of an earlier split must not stay on the page.
    ime_qrdb_reset(c, IME_LIST_HANZI);
    ime_forget_hanzi_cache();
    return 0;
  }

  if (c->pyoff == 0) look_up_abbreviation(c);
  ime_current_pynum = c->pynum - c->pyoff;
  fill_hanzi_list(c);

  if (c->pyoff == c->pynum) return 0;  // one syllable left: its hanzi are the candidates
  if (ime_qrdb_count(c, IME_LIST_HANZI) <= 0) return 0;
  ime_am_flag = 0;
  ime_query_phrase_list(c, c->pyoff, c->pynum, IME_LIST_PHRASES);
  if (ime_qrdb_count(c, IME_LIST_PHRASES) > 0) ime_qrdb_sort(c, IME_LIST_PHRASES);

  // A phrase that covers every remaining syllable needs no composed sentence beside it.
  if ((ime_am_flag & 1) != 0) return 0;
  if (ime_sentence_service_in_use() &&
      ime_compose_by_service(c) != ime_service_sentence::Failed) {
    return 0;
  }
  no_sentence(c);
  compose_greedily(c);
  return 0;
}
