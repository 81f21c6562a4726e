// ime_convs_match_scheme: the order in which a pinyin scheme's matcher hands a key on, from the
// modes that claim keys first down to the scheme's own steps.
#include "match/convs_steps.h"

#include "base/settings_keys.h"
#include "match/imeconvs2.h"
#include "record/engine_globals.h"
#include "record/qrdb.h"

namespace {

bool is_printable(int key) { return key >= 32 && key <= 126; }
bool is_lower(int key) { return key >= 'a' && key <= 'z'; }
bool is_upper(int key) { return key >= 'A' && key <= 'Z'; }

}  // namespace

void ime_convs_capital_first_key(ime_conversation_t* c, int key) {
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

int ime_convs_candidate_key_step(ime_conversation_t* c, int key,
                                 int (*select)(ime_conversation_t* conversation, int number)) {
  if (key < 0 && key >= -IME_MAX_PAGE_CANDIDATES) return ime_convs_delete_candidate(c, -key);
  if (key >= '1' && key <= '9') return select(c, key - '0');
  if (key == IME_KEY_SPACE) return select(c, 1);
  if (ime_is_tone_key(key)) return ime_convs_tone_step(c, key);
  if (key == IME_KEY_RETURN) {
    ime_convs_build_result(c, IME_BUILD_RAW);
    return IME_MATCH_COMMITTED;
  }
  if (key == IME_KEY_PAGE_UP) return ime_convs_turn_page(c, -1);
  if (key == IME_KEY_PAGE_DOWN) return ime_convs_turn_page(c, +1);
  return IME_MATCH_NOT_MINE;
}

int ime_convs_match_scheme(ime_conversation_t* c, int key, const ime_scheme_steps_t& steps) {
  if (c == nullptr) return IME_MATCH_NOT_MINE;
  ime_current_convs = c;

  const int accessory = ime_convs_accessory_step(c, key);
  if (accessory != 1) return accessory;

  ime_has_abbr = 0;
  steps.first_key(c, key);

  if ((c->mode & (IME_MODE_I | IME_MODE_U)) != 0 && key != IME_KEY_SPACE &&
      key != IME_KEY_RETURN) {
    // Digits are numerals here, not selections; Space takes the string.
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
    if (is_printable(key)) return steps.raw_key(c, key);
  }
  if (steps.is_editing_key(key)) return steps.edit(c, key);
  return steps.other_key(c, key);
}
