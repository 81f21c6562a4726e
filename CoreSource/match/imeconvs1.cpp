// ime_convs_match: the full-pinyin matcher's dispatch of one key, and ime_convs_reset.
#include "match/imeconvs1.h"

#include <cstring>

#include "base/settings_keys.h"
#include "match/convs_steps.h"
#include "match/imeconvs2.h"
#include "query/candidate_freq.h"
#include "record/engine_globals.h"
#include "record/qrdb.h"
#include "split/py_splitter.h"
#include "tables/accode.h"
#include "text/mode_strings.h"

namespace {

bool is_printable(int key) { return key >= 32 && key <= 126; }
bool is_digit(int key) { return key >= '0' && key <= '9'; }
bool is_letter(int key) { return key >= 'a' && key <= 'z'; }

constexpr std::uint32_t kNoAccessoryFlags =
    IME_MODE_I | IME_MODE_D | IME_MODE_U | IME_MODE_V | IME_MODE_ACCESSORY;

// Re-queries and shows the page the conversation is on.
int requery_current_page(ime_conversation_t* c) {
  ime_convs_match_py2(c);
  ime_convs_build_result(c, IME_BUILD_KEY);
  ime_convs_page(c, c->page);
  return IME_MATCH_SHOW;
}

}  // namespace

// Steps 1 and 2 (every matcher): Tab on a page enters accessory mode; letters typed then narrow the page.
// Returns IME_MATCH_SHOW when the key was taken, 1 when the key goes on to the other steps.
int ime_convs_accessory_step(ime_conversation_t* c, int key) {
  if ((c->mode & kNoAccessoryFlags) == 0) {
    if (key == IME_KEY_TAB && kAccCodeDict != nullptr && ime_setting_bool("EnableAccessory") &&
        ime_qrdb_count(c, IME_LIST_CANDIDATES) > 0) {
      c->mode |= IME_MODE_ACCESSORY;
      ime_convs_build_result(c, IME_BUILD_LIST);
      ime_convs_page(c, c->page);
      return IME_MATCH_SHOW;
    }
    return 1;
  }
  if ((c->mode & IME_MODE_ACCESSORY) == 0) return 1;

  if (is_letter(key)) {
    ime_convs_add_accessory_key(c, static_cast<char>(key));
    return requery_current_page(c);
  }
  if (key == IME_KEY_BACKSPACE || key == IME_KEY_TAB) {
    if (key == IME_KEY_BACKSPACE && c->acclen > 0) {
      --c->acclen;
    } else {
      c->acclen = 0;
      c->mode &= ~IME_MODE_ACCESSORY;
      ime_forget_hanzi_cache();
    }
    return requery_current_page(c);
  }
  if (key >= '1' && key <= '9') {
    c->mode &= ~IME_MODE_ACCESSORY;
    c->acclen = 0;
    return 1;
  }
  if (key == IME_KEY_PAGE_UP || key == IME_KEY_PAGE_DOWN || key == IME_KEY_SPACE ||
      key == IME_KEY_RETURN || is_digit(key) || key == IME_KEY_ZERO) {
    return 1;
  }
  return IME_MATCH_SHOW;
}

// Step 4: i-mode and u-mode keys make one numeral string.
int ime_convs_numeral_mode_step(ime_conversation_t* c, int key) {
  ime_push_simple_key(c, key);
  c->page = 0;
  ime_convs_forget_shown(c);
  if (c->inoff > 0) {
    ime_qrdb_reset(c, IME_QRDB_ALL);
    ime_build_imode_str(c, (c->mode & IME_MODE_I) != 0 ? 'i' : 'u');
    ime_convs_build_result(c, IME_BUILD_LIST);
    ime_convs_page(c, c->page);
  }
  return IME_MATCH_SHOW;
}

// Step 5: V-mode keys look up the V-mode lists.
int ime_convs_vmode_step(ime_conversation_t* c, int key) {
  ime_push_simple_key(c, key);
  c->page = 0;
  ime_convs_forget_shown(c);
  if (c->inoff > 0 && ime_build_vmode_str(c) > 0) {
    ime_convs_build_result(c, IME_BUILD_LIST);
    ime_convs_page(c, c->page);
  }
  return IME_MATCH_SHOW;
}

// -n: the user deletes the word shown as candidate n.
int ime_convs_delete_candidate(ime_conversation_t* c, int n) {
  if (n < 1 || n > c->ncand) return IME_MATCH_NOT_MINE;
  const ime_query_result_t candidate = c->cands[n - 1];
  if (candidate.type == IME_RESULT_DICT_WORD || candidate.type == IME_RESULT_USER_WORD) {
    if (ime_delete_user_phrase(&candidate) != 0) return IME_MATCH_NOT_MINE;
    const std::uint16_t page = c->page;
    ime_convs_match_py2(c);
    c->page = page;
  }
  return ime_convs_build_and_show(c);
}

int ime_convs_tone_step(ime_conversation_t* c, int key) {
  const int n = key == IME_KEY_TAB ? 0 : key - IME_KEY_TONE_BASE;
  if (ime_convs_cycle_tone(c, n) < 0) return IME_MATCH_SHOW;
  c->page = 0;
  ime_convs_forget_shown(c);
  return ime_convs_requery_and_show(c);
}

// A page key keeps the page shown when the page next to it cannot be shown.
int ime_convs_turn_page(ime_conversation_t* c, int step) {
  if (c->inoff == 0) return IME_MATCH_NOT_MINE;
  const int wanted = c->page + step;
  if (wanted >= 0 && ime_convs_page(c, wanted) == IME_PAGE_SHOWN) {
    c->page = static_cast<std::uint16_t>(wanted);
  } else {
    ime_convs_page(c, c->page);
  }
  return IME_MATCH_SHOW;
}

namespace {

// Step 3: the first key decides the kind of composition.
void first_key_step(ime_conversation_t* c, int key) {
  if (c->inoff != 0) return;
  if (key == 'i' || key == 'u') {
    c->mode &= ~(IME_MODE_I | IME_MODE_U | IME_MODE_V | IME_MODE_D);
    c->mode |= key == 'i' ? IME_MODE_I : IME_MODE_U;
  } else if (key == 'v' && ime_setting_bool("VMode")) {
    c->mode |= IME_MODE_V;
  } else if (!(key >= 'A' && key <= 'Z')) {
    c->mode &= ~(IME_MODE_I | IME_MODE_U | IME_MODE_V);
  }
}

// Step 7: keys that edit the typed keys.
int edit_step(ime_conversation_t* c, int key) {
  if (key == IME_KEY_BACKSPACE && c->nseg > 0 && c->curpos == c->inoff) {
    // Backspace right after a selection takes the selection back, not a key.
    ime_forget_hanzi_cache();
    --c->nseg;
    int consumed = 0;
    for (int i = 0; i < c->nseg; ++i) consumed += ime_convs_segment_syllables(&c->segs[i]);
    c->pyoff = static_cast<std::uint16_t>(consumed);
    return ime_convs_requery_and_show(c);
  }
  suggestted_mode = key == IME_KEY_SUGGEST ? suggestted_mode + 1 : 0;
  const int pushed = ime_convs_push_key(c, key);
  if (pushed == IME_PUSH_NOTHING_LEFT) return IME_MATCH_SHOW;
  if (pushed != 0) return IME_MATCH_NOT_MINE;
  return ime_convs_requery_and_show(c);
}

// "0": the first page that holds a single character.
int first_single_character_page(ime_conversation_t* c) {
  if (ime_qrdb_count(c, IME_LIST_CANDIDATES) <= 0) return IME_MATCH_SHOW;
  for (int n = 0; ime_convs_page(c, n) == IME_PAGE_SHOWN; ++n) {
    c->page = static_cast<std::uint16_t>(n);
    for (int i = 0; i < c->ncand; ++i) {
      if (c->cands[i].plen == 1) return IME_MATCH_SHOW;
    }
  }
  // The pages ended without one: stay on the last.
  ime_convs_page(c, c->page);
  return IME_MATCH_SHOW;
}

// Step 8: every other key.
int other_key_step(ime_conversation_t* c, int key) {
  if (key == IME_KEY_ZERO) return first_single_character_page(c);
  return ime_convs_candidate_key_step(c, key, ime_convs_select);
}

// A raw key is taken as typed; the keys are shown again whatever the editor made of it.
int raw_key_step(ime_conversation_t* c, int key) {
  ime_convs_push_key(c, key);
  return ime_convs_requery_and_show(c);
}

bool is_editing_key(int key) {
  return (is_printable(key) && !is_digit(key)) || key == IME_KEY_BACKSPACE ||
         key == IME_KEY_DELETE || key == IME_KEY_SUGGEST || key == IME_KEY_COMMIT_RAW ||
         key == IME_KEY_RETRY || ime_is_cursor_key(key);
}

const ime_scheme_steps_t kFullPinyinSteps = {
    .first_key = first_key_step,
    .raw_key = raw_key_step,
    .is_editing_key = is_editing_key,
    .edit = edit_step,
    .other_key = other_key_step,
};

}  // namespace

int ime_convs_requery_and_show(ime_conversation_t* c) {
  if ((c->mode & IME_MODE_D) == 0) {
    ime_convs_match_py2(c);
    return ime_convs_build_and_show(c);
  }
  ime_convs_set_output(c, c->inbuf, c->inoff);
  // Raw keys have no candidates of their own: the page of the pinyin they were goes.
  ime_qrdb_reset(c, IME_LIST_CANDIDATES);
  ime_convs_forget_shown(c);
  c->ncand = 0;
  c->page = 0;
  const std::string keys(c->inbuf, c->inoff);
  if (ime_build_abbr_str(c, keys.c_str()) == 0) {
    ime_convs_build_result(c, IME_BUILD_LIST);
    ime_convs_page(c, c->page);
  }
  return IME_MATCH_SHOW;
}

int ime_convs_build_and_show(ime_conversation_t* c) {
  if (ime_convs_build_result(c, IME_BUILD_KEY) == 0) ime_convs_page(c, c->page);
  return IME_MATCH_SHOW;
}

int ime_convs_match(ime_conversation_t* c, int key) {
  return ime_convs_match_scheme(c, key, kFullPinyinSteps);
}

int ime_convs_reset(ime_conversation_t* c) {
  if (c == nullptr) return 0;
  has_suggestted = 0;
  suggestted_mode = 0;
  ime_qrdb_reset(c, IME_QRDB_ALL);
  ime_forget_hanzi_cache();
  ime_has_abbr = 0;
  ime_abbr_result.clear();
  hm_buf_len = 0;
  hm_buf[0] = '\0';
  std::memset(hm_fen, 0, sizeof hm_fen);
  std::memset(c->cands, 0, sizeof c->cands);
  std::memset(c->segs, 0, sizeof c->segs);
  std::memset(&c->sentence, 0, sizeof c->sentence);
  std::memset(c->py, 0, sizeof c->py);
  std::memset(c->rpy, 0, sizeof c->rpy);
  std::memset(c->spy, 0, sizeof c->spy);
  std::memset(c->outbuf, 0, sizeof c->outbuf);
  std::memset(c->inbuf, 0, sizeof c->inbuf);
  std::memset(c->tones, 0, sizeof c->tones);
  std::memset(c->accbuf, 0, sizeof c->accbuf);
  c->nseg = c->ncand = c->page = 0;
  // pynum 0 (not "not split"): a raw string typed next is then selected as it stands.
  c->pynum = c->cmpoff = c->outlen = c->inoff = c->pyoff = c->dpos = 0;
  c->curpos = 0;
  c->acclen = 0;
  c->keyflag = 0;
  c->curkey = c->lastkey = 0;
  c->keytime = {};
  c->buildmode = 0;
  ime_convs_forget_shown(c);
  c->mode &= ~IME_MODE_STRING_FLAGS;
  c->mode &= ~IME_MODE_SENTENCE;
  return 0;
}
