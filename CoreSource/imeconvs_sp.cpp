// ime_convs_match_sp and its key editor ime_convs_push_key_sp.
#include "imeconvs_sp.h"

#include <cstring>

#include "convs_steps.h"
#include "engine_globals.h"
#include "imeconvs1.h"
#include "imeconvs2.h"
#include "imesp.h"
#include "qrdb.h"
#include "settings_keys.h"

namespace {

bool is_printable(int key) { return key >= 32 && key <= 126; }
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

int raw_keys(ime_conversation_t* c) {
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
  if (c->curpos == 0 || c->inoff == 0) {
    ime_qrdb_reset(c, IME_LIST_PHRASES);
    return raw_keys(c);
  }
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
    ime_qrdb_reset(c, IME_LIST_PHRASES);
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

int move_left(ime_conversation_t* c, int key) {
  const int span = ime_convs_chosen_key_span_sp(c);
  if (c->nseg > 0 && c->curpos == span) {
    unchoose_last_segment(c);
    return 0;
  }
  if (c->curpos > 0) {
    int cursor = c->curpos;
    if (key == IME_KEY_OPTION_LEFT) {
      --cursor;
    } else {
      if (c->inbuf[cursor - 1] == '\'') --cursor;
      const int step = ime_convs_is_split(c) ? key_count(c, c->pynum) : 1;
      cursor = cursor > step ? cursor - (step > 0 ? step : 1) : 0;
    }
    ime_convs_set_cursor(c, cursor);
    if (c->nseg > 0 && c->curpos == span) {
      c->dpos = IME_NO_DPOS;
      ime_forget_hanzi_cache();
      c->pynum = IME_PY_NOT_SPLIT;
      return IME_PUSH_NOTHING_LEFT;
    }
  }
  return split_keys(c, false);
}

int delete_key(ime_conversation_t* c, int key) {
  if (key == IME_KEY_BACKSPACE) {
    ime_convs_delete_key_before(c);
  } else {
    ime_convs_delete_key_at(c);
  }
  if (c->inoff == 0) {
    c->dpos = IME_NO_DPOS;
    ime_forget_hanzi_cache();
    return IME_PUSH_NOTHING_LEFT;
  }
  return split_keys(c, false);
}

// The capitals "I", "U" and "V" start the string modes; lower-case letters are scheme keys.
void first_key_step(ime_conversation_t* c, int key) {
  if (c->inoff != 0) return;
  if (key == 'I' || key == 'U') {
    c->mode &= ~(IME_MODE_I | IME_MODE_U | IME_MODE_V | IME_MODE_D);
    c->mode |= key == 'I' ? IME_MODE_I : IME_MODE_U;
  } else if (key == 'V' && ime_setting_bool("VMode")) {
    c->mode &= ~IME_MODE_D;
    c->mode |= IME_MODE_V;
    ime_qrdb_reset(c, IME_LIST_PHRASES);
  } else if (!is_upper(key)) {
    c->mode &= ~(IME_MODE_I | IME_MODE_U | IME_MODE_V);
  }
}

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

int other_key_step(ime_conversation_t* c, int key) {
  if (key < 0 && key >= -IME_MAX_PAGE_CANDIDATES) return ime_convs_delete_candidate(c, -key);
  if (key >= '1' && key <= '9') return select_candidate(c, key - '0');
  if (key == IME_KEY_SPACE) return select_candidate(c, 1);
  if (ime_is_tone_key(key)) return ime_convs_tone_step(c, key);
  if (key == IME_KEY_RETURN) {
    ime_convs_build_result(c, IME_BUILD_RAW);
    return IME_MATCH_COMMITTED;
  }
  if (key == IME_KEY_PAGE_UP) return ime_convs_turn_page(c, -1);
  if (key == IME_KEY_PAGE_DOWN) return ime_convs_turn_page(c, +1);
  return IME_MATCH_NOT_MINE;  // IME_KEY_ZERO included: "0" is no key of double pinyin
}

}  // namespace

int ime_convs_chosen_key_span_sp(const ime_conversation_t* c) {
  if (c == nullptr) return 0;
  int position = 0;
  const int inoff = c->inoff < IME_MAX_KEYS ? c->inoff : IME_MAX_KEYS;
  for (int i = 0; i < c->pyoff && i < IME_MAX_SYLLABLES; ++i) {
    position += key_count(c, i);
    if (position < inoff && c->inbuf[position] == '\'') ++position;
  }
  return position < inoff ? position : inoff;
}

int ime_convs_push_key_sp(ime_conversation_t* c, int key) {
  if (c == nullptr) return -1;
  set_dmode(c, false);
  switch (key) {
    case IME_KEY_LEFT:
    case IME_KEY_OPTION_LEFT:
      return move_left(c, key);
    case IME_KEY_OPTION_UP:
      ime_convs_set_cursor(c, ime_convs_chosen_key_span_sp(c));
      c->pynum = IME_PY_NOT_SPLIT;
      return IME_PUSH_NOTHING_LEFT;
    case IME_KEY_RIGHT:
      ime_convs_set_cursor(c, c->curpos + 1);
      return split_keys(c, false);
    case IME_KEY_OPTION_DOWN:
      ime_convs_set_cursor(c, c->inoff);
      return split_keys(c, false);
    case IME_KEY_BACKSPACE:
    case IME_KEY_DELETE:
      return delete_key(c, key);
    case IME_KEY_RETRY:
      return split_keys(c, true);
    default:
      break;
  }
  const int typed = key == IME_KEY_COMMIT_RAW ? '.' : key;
  if (!is_printable(typed)) return -1;
  const bool second_separator =
      typed == '\'' && c->curpos > 0 && c->inbuf[c->curpos - 1] == '\'';
  if (!second_separator) ime_convs_insert_key(c, static_cast<char>(typed));  // refused at 256
  return split_keys(c, false);
}

int ime_convs_match_sp(ime_conversation_t* c, int key) {
  if (c == nullptr) return IME_MATCH_NOT_MINE;
  ime_current_convs = c;

  const int accessory = ime_convs_accessory_step(c, key);
  if (accessory != 1) return accessory;

  ime_has_abbr = 0;
  first_key_step(c, key);

  if ((c->mode & (IME_MODE_I | IME_MODE_U)) != 0 && key != IME_KEY_SPACE &&
      key != IME_KEY_RETURN) {
    return ime_convs_numeral_mode_step(c, key);
  }
  if ((c->mode & IME_MODE_V) != 0 && ime_setting_bool("VMode")) {
    if (is_lower(key) || key == IME_KEY_COMMIT_RAW || key == IME_KEY_BACKSPACE ||
        key == IME_KEY_DELETE || ime_is_cursor_key(key)) {
      return ime_convs_vmode_step(c, key);
    }
    if (ime_qrdb_count(c, IME_LIST_PHRASES) <= 0 && key != IME_KEY_PAGE_UP &&
        key != IME_KEY_PAGE_DOWN && key != IME_KEY_RETURN) {
      return IME_MATCH_NOT_MINE;
    }
  }
  if ((c->mode & IME_MODE_D) != 0) {
    if (key == IME_KEY_RIGHT && c->inoff > 0 && c->curpos == 0) c->mode &= ~IME_MODE_D;
    // Raw keys stay raw while a key that is no scheme key stands before the cursor; the
    // double-pinyin editor decides that again, so double-pinyin keys are never split as full
    // pinyin.
    if (is_printable(key)) return edited(c, ime_convs_push_key_sp(c, key));
  }
  if (is_composition_key(key)) return edit_step(c, key);
  return other_key_step(c, key);
}
