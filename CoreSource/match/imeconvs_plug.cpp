// ime_convs_match_plug and its key editor ime_convs_push_key_plug.
#include "match/imeconvs_plug.h"

#include "base/freq.h"
#include "base/settings_keys.h"
#include "dict/cmphplug.h"
#include "match/convs_editor.h"
#include "match/convs_steps.h"
#include "match/imeconvs1.h"
#include "match/imeconvs2.h"
#include "query/candidate_freq.h"
#include "record/engine_globals.h"
#include "record/qrdb.h"
#include "start/config_reload.h"

namespace {

bool is_printable(int key) { return key >= 32 && key <= 126; }
bool is_digit(int key) { return key >= '0' && key <= '9'; }

// Forgets every candidate of the keys before: the answers of the code typed so far, and the
// pinyin candidates of a fallback, which would otherwise join the table's answers in list 3.
void forget_candidates(ime_conversation_t* c) {
  ime_qrdb_reset(c, IME_LIST_PHRASES);
  ime_qrdb_reset(c, IME_LIST_HANZI);
  ime_forget_hanzi_cache();
  c->mode &= ~IME_MODE_SENTENCE;
  c->page = 0;
  c->ncand = 0;
  ime_convs_forget_shown(c);
}

// Every answer on offer loses a step and the chosen one is set just above the ceiling a lowered
// count falls back to, so it leads the next time its code is typed.
void learn_choice(ime_conversation_t* c, const ime_query_result_t& chosen) {
  const int count = ime_qrdb_count(c, IME_LIST_CANDIDATES);
  for (int i = 0; i < count; ++i) {
    ime_query_result_t offered{};
    if (ime_qrdb_get(c, IME_LIST_CANDIDATES, i, &offered) == 0) ime_dec_hzfreq(&offered);
  }
  ime_set_hzfreq(&chosen, static_cast<std::uint32_t>(ime_hzfreq_val + 1));
}

int select_candidate(ime_conversation_t* c, int number) {
  if ((c->mode & IME_MODE_D) != 0 && ime_qrdb_count(c, IME_LIST_PHRASES) <= 0) {
    return IME_MATCH_COMMITTED;
  }
  if (ime_qrdb_count(c, IME_LIST_CANDIDATES) <= 0) return IME_MATCH_SHOW;
  if (number < 1 || number > ime_current_page_size() || number > c->ncand) {
    return IME_MATCH_NOT_MINE;
  }
  const ime_query_result_t chosen = c->cands[number - 1];
  if (ime_convs_add_segment(c, &chosen) != 0) return IME_MATCH_NOT_MINE;
  if (ime_fix_freq == 0) learn_choice(c, chosen);
  // A code names its text whole: nothing is left to compose after it.
  ime_convs_build_result(c, IME_BUILD_COMMIT);
  return IME_MATCH_COMMITTED;
}

// Asks the table for the keys up to the cursor and shows its answers.
int query_and_show(ime_conversation_t* c) {
  if ((c->mode & IME_MODE_D) != 0) return ime_convs_requery_and_show(c);
  forget_candidates(c);
  if (c->curpos == 0) return IME_MATCH_SHOW;  // nothing before the cursor to ask for
  ime_plug_mode = 0;
  const int length = c->curpos < c->inoff ? c->curpos : c->inoff;
  if (ime_plug_query(c, IME_LIST_PHRASES, c->inbuf, length) != 0 ||
      ime_qrdb_count(c, IME_LIST_PHRASES) <= 0) {
    ime_plug_mode = 1;
    return IME_MATCH_RETRY;
  }
  ime_qrdb_sort(c, IME_LIST_PHRASES);
  ime_convs_build_and_show(c);
  if (ime_plug_auto_fill != 0 && ime_qrdb_count(c, IME_LIST_PHRASES) == 1 &&
      c->inoff == ime_plug_max_len) {
    return select_candidate(c, 1);
  }
  return IME_MATCH_SHOW;
}

bool is_editing_key(int key) {
  return (is_printable(key) && !is_digit(key)) || key == IME_KEY_BACKSPACE ||
         key == IME_KEY_DELETE || key == IME_KEY_COMMIT_RAW || key == IME_KEY_RETRY ||
         ime_is_cursor_key(key);
}

}  // namespace

int ime_convs_push_key_plug(ime_conversation_t* c, int key) {
  if (c == nullptr) return -1;
  c->mode &= ~IME_MODE_D;
  switch (key) {
    case IME_KEY_LEFT:
    case IME_KEY_OPTION_LEFT:
      ime_convs_set_cursor(c, c->curpos - 1);
      break;
    case IME_KEY_OPTION_UP:
      ime_convs_set_cursor(c, 0);
      break;
    case IME_KEY_RIGHT:
      ime_convs_set_cursor(c, c->curpos + 1);
      break;
    case IME_KEY_OPTION_DOWN:
      ime_convs_set_cursor(c, c->inoff);
      break;
    case IME_KEY_BACKSPACE:
    case IME_KEY_DELETE:
      ime_convs_delete_by_key(c, key);
      if (c->inoff == 0) {
        c->dpos = IME_NO_DPOS;
        ime_convs_set_output(c, c->inbuf, 0);
        return IME_PUSH_NOTHING_LEFT;
      }
      break;
    case IME_KEY_RETRY:
      break;
    default:
      ime_convs_type_key(c, key);
      break;
  }
  ime_convs_set_output(c, c->inbuf, c->inoff);
  return 0;
}

int ime_convs_match_plug(ime_conversation_t* c, int key) {
  if (c == nullptr) return IME_MATCH_NOT_MINE;
  ime_current_convs = c;
  ime_has_abbr = 0;
  ime_convs_capital_first_key(c, key);

  if ((c->mode & (IME_MODE_I | IME_MODE_U)) != 0 && key != IME_KEY_SPACE &&
      key != IME_KEY_RETURN) {
    return ime_convs_numeral_mode_step(c, key);
  }
  if ((c->mode & IME_MODE_V) != 0 && ime_setting_bool("VMode")) {
    if ((key >= 'a' && key <= 'z') || key == IME_KEY_COMMIT_RAW || key == IME_KEY_BACKSPACE ||
        key == IME_KEY_DELETE || ime_is_cursor_key(key)) {
      return ime_convs_vmode_step(c, key);
    }
    if (ime_qrdb_count(c, IME_LIST_PHRASES) <= 0 && key != IME_KEY_PAGE_UP &&
        key != IME_KEY_PAGE_DOWN) {
      return IME_MATCH_NOT_MINE;
    }
  }
  if ((c->mode & IME_MODE_D) != 0 && key == IME_KEY_RIGHT && c->inoff > 0 && c->curpos == 0) {
    c->mode &= ~IME_MODE_D;
  }
  if (is_editing_key(key)) {
    if (ime_convs_push_key_plug(c, key) == IME_PUSH_NOTHING_LEFT) {
      forget_candidates(c);
      return IME_MATCH_SHOW;
    }
    return query_and_show(c);
  }
  if (key >= '1' && key <= '9') return select_candidate(c, key - '0');
  if (key == IME_KEY_SPACE) return select_candidate(c, 1);
  if (key == IME_KEY_RETURN) {
    ime_convs_build_result(c, IME_BUILD_RAW);
    return IME_MATCH_COMMITTED;
  }
  if (key == IME_KEY_PAGE_UP) return ime_convs_turn_page(c, -1);
  if (key == IME_KEY_PAGE_DOWN) return ime_convs_turn_page(c, +1);
  return IME_MATCH_NOT_MINE;
}
