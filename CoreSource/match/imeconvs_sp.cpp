// ime_convs_match_sp and its key editor ime_convs_push_key_sp.
#include "match/imeconvs_sp.h"

#include <cstring>

#include "match/convs_editor.h"
#include "match/convs_steps.h"
#include "match/imeconvs1.h"
#include "match/imeconvs2.h"
#include "record/engine_globals.h"
#include "record/qrdb.h"
#include "split/imesp.h"

namespace {

bool is_lower(int key) { return key >= 'a' && key <= 'z'; }
bool is_upper(int key) { return key >= 'A' && key <= 'Z'; }
// The keys a scheme types with: letters, the separator, and ";" (a final key of some schemes).
bool is_scheme_key(char key) { return is_lower(key) || key == '\'' || key == ';'; }

void set_dmode(ime_conversation_t* c, bool on) {
  if (on) {
    c->mode |= IME_MODE_D;
  } else {
    c->mode &= ~IME_MODE_D;
  }
}

int key_count(const ime_conversation_t* c, int i) {
  if (i < 0 || i >= IME_MAX_SYLLABLES) return 0;
  return static_cast<int>(strnlen(c->spy[i], IME_SYLLABLE_BYTES));
}

// A chosen candidate consumes its own syllables: in double pinyin every syllable is typed whole.
int recount_pyoff(ime_conversation_t* c) {
  int consumed = 0;
  for (int i = 0; i < c->nseg && i < IME_MAX_SEGMENTS; ++i) consumed += c->segs[i].plen;
  c->pyoff = static_cast<std::uint16_t>(consumed < IME_MAX_SYLLABLES ? consumed : IME_MAX_SYLLABLES);
  return c->pyoff;
}

// Raw keys have no phrases: those of the syllables they were must not keep Space from
// committing them.
int raw_keys(ime_conversation_t* c) {
  ime_qrdb_reset(c, IME_LIST_PHRASES);
  set_dmode(c, true);
  return 0;
}

// Turns the keys after the chosen part up to the cursor (`whole`: up to the end) into syllables.
int split_keys(ime_conversation_t* c, bool whole) {
  const int end = whole ? c->inoff : c->curpos;
  for (int i = 0; i < end && i < IME_MAX_KEYS; ++i) {
    if (!is_scheme_key(c->inbuf[i])) return raw_keys(c);
  }
  if (whole) ime_convs_set_cursor(c, c->inoff);
  if (c->curpos == 0 || c->inoff == 0) return raw_keys(c);
  const int span = ime_convs_chosen_key_span_sp(c);
  if (c->curpos <= span) {
    c->pynum = static_cast<std::uint16_t>(c->pyoff > 0 ? c->pyoff - 1 : 0);
    return 0;
  }
  // A separator right after the chosen part starts no syllable.
  if (c->inbuf[span] == '\'') return raw_keys(c);

  const int first = c->pyoff;
  int count = 0;
  const int result = ime_get_py(c->inbuf + span, c->curpos - span, c->py + first, c->spy + first,
                                &count, IME_MAX_SYLLABLES - first);
  if (result != 0 || count <= 0) {
    raw_keys(c);
    return result;
  }
  // The full-pinyin paths read the typed spelling; in double pinyin it is the syllable itself.
  for (int i = first; i < first + count; ++i) ime_convs_set_syllable(c, i, c->py[i], nullptr);
  c->pynum = static_cast<std::uint16_t>(first + count - 1);
  return 0;
}

void unchoose_last_segment(ime_conversation_t* c) {
  c->pynum = static_cast<std::uint16_t>(c->pyoff > 0 ? c->pyoff - 1 : 0);
  --c->nseg;
  recount_pyoff(c);
  ime_forget_hanzi_cache();
}

// A plain Left leaves a syllable whole, and moves at least one key.
int left_step(const ime_conversation_t* c, int i) {
  const int keys = key_count(c, i);
  return keys > 0 ? keys : 1;
}

const ime_key_editor_t kDoublePinyinEditor = {
    .chosen_key_span = ime_convs_chosen_key_span_sp,
    .left_step = left_step,
    .split_keys = split_keys,
    .unchoose_last_segment = unchoose_last_segment,
    .after_delete = nullptr,
    .splits_on_suggest = false,
};

bool is_composition_key(int key) {
  return is_lower(key) || is_upper(key) || key == '\'' || key == ';' || key == IME_KEY_BACKSPACE ||
         key == IME_KEY_DELETE || key == IME_KEY_COMMIT_RAW || key == IME_KEY_RETRY ||
         ime_is_cursor_key(key);
}

int edited(ime_conversation_t* c, int pushed) {
  if (pushed == IME_PUSH_NOTHING_LEFT) return IME_MATCH_SHOW;
  if (pushed != 0) return IME_MATCH_NOT_MINE;
  return ime_convs_requery_and_show(c);
}

int edit_step(ime_conversation_t* c, int key) {
  if (key == IME_KEY_BACKSPACE && c->nseg > 0 && c->curpos == c->inoff) {
    // Backspace right after a selection takes the selection back, not a key.
    ime_forget_hanzi_cache();
    --c->nseg;
    recount_pyoff(c);
    return ime_convs_requery_and_show(c);
  }
  return edited(c, ime_convs_push_key_sp(c, key));
}

int commit(ime_conversation_t* c) {
  ime_convs_build_result(c, IME_BUILD_COMMIT);
  return IME_MATCH_COMMITTED;
}

int select_candidate(ime_conversation_t* c, int number) {
  if ((c->mode & IME_MODE_D) != 0 && ime_qrdb_count(c, IME_LIST_PHRASES) <= 0) {
    return IME_MATCH_COMMITTED;  // the raw keys in outbuf
  }
  if (ime_qrdb_count(c, IME_LIST_CANDIDATES) <= 0) return IME_MATCH_SHOW;
  if (number < 1 || number > ime_current_page_size() || number > c->ncand) {
    return IME_MATCH_NOT_MINE;
  }
  const ime_query_result_t chosen = c->cands[number - 1];
  if (ime_convs_add_segment(c, &chosen) != 0) return IME_MATCH_NOT_MINE;
  ime_convs_learn_selection(c, number - 1);
  recount_pyoff(c);
  c->page = 0;
  ime_convs_forget_shown(c);

  if ((c->mode & IME_MODE_V) != 0) return commit(c);
  if (c->pynum == IME_PY_NOT_SPLIT || c->pyoff >= c->pynum + 1) {
    if (c->curpos >= c->inoff) return commit(c);
    // The syllables before the cursor are chosen: the keys after it are split next.
    ime_convs_set_cursor(c, c->inoff);
    return edited(c, ime_convs_push_key_sp(c, IME_KEY_RETRY));
  }
  if (chosen.type == IME_RESULT_OTHER) return commit(c);
  return ime_convs_requery_and_show(c);
}

// IME_KEY_ZERO is left to the shared step, which refuses it: "0" is no key of double pinyin.
int other_key_step(ime_conversation_t* c, int key) {
  return ime_convs_candidate_key_step(c, key, select_candidate);
}

// Raw keys stay raw while a key that is no scheme key stands before the cursor; the
// double-pinyin editor decides that again, so double-pinyin keys are never split as full pinyin.
int raw_key_step(ime_conversation_t* c, int key) {
  return edited(c, ime_convs_push_key_sp(c, key));
}

const ime_scheme_steps_t kDoublePinyinSteps = {
    .first_key = ime_convs_capital_first_key,
    .raw_key = raw_key_step,
    .is_editing_key = is_composition_key,
    .edit = edit_step,
    .other_key = other_key_step,
};

}  // namespace

int ime_convs_chosen_key_span_sp(const ime_conversation_t* c) {
  return ime_convs_key_span(c, key_count);
}

int ime_convs_push_key_sp(ime_conversation_t* c, int key) {
  if (c == nullptr) return -1;
  set_dmode(c, false);
  return ime_convs_edit_keys(c, key, kDoublePinyinEditor);
}

int ime_convs_match_sp(ime_conversation_t* c, int key) {
  return ime_convs_match_scheme(c, key, kDoublePinyinSteps);
}
