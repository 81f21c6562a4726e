// ime_convs_edit_keys: the key editing switch of the pinyin schemes.
#include "match/convs_editor.h"

#include "match/imeconvs1.h"
#include "match/imeconvs2.h"

namespace {

bool is_printable(int key) { return key >= 32 && key <= 126; }

int move_left(ime_conversation_t* c, int key, const ime_key_editor_t& editor) {
  const int span = editor.chosen_key_span(c);
  if (c->nseg > 0 && c->curpos == span) {
    editor.unchoose_last_segment(c);
    return 0;
  }
  if (c->curpos > 0) {
    int cursor = c->curpos;
    if (key == IME_KEY_OPTION_LEFT) {
      --cursor;
    } else {
      if (c->inbuf[cursor - 1] == '\'') --cursor;
      const int step = ime_convs_is_split(c) ? editor.left_step(c, c->pynum) : 1;
      cursor = cursor > step ? cursor - step : 0;
    }
    ime_convs_set_cursor(c, cursor);
    if (c->nseg > 0 && c->curpos == span) {
      c->dpos = IME_NO_DPOS;
      ime_forget_hanzi_cache();
      c->pynum = IME_PY_NOT_SPLIT;
      return IME_PUSH_NOTHING_LEFT;
    }
  }
  return editor.split_keys(c, false);
}

int delete_key(ime_conversation_t* c, int key, const ime_key_editor_t& editor) {
  ime_convs_delete_by_key(c, key);
  if (c->inoff == 0) {
    c->dpos = IME_NO_DPOS;
    ime_forget_hanzi_cache();
    return IME_PUSH_NOTHING_LEFT;
  }
  if (editor.after_delete != nullptr) editor.after_delete(c);
  return editor.split_keys(c, false);
}

}  // namespace

int ime_convs_edit_keys(ime_conversation_t* c, int key, const ime_key_editor_t& editor) {
  switch (key) {
    case IME_KEY_LEFT:
    case IME_KEY_OPTION_LEFT:
      return move_left(c, key, editor);
    case IME_KEY_OPTION_UP:
      ime_convs_set_cursor(c, editor.chosen_key_span(c));
      c->pynum = IME_PY_NOT_SPLIT;
      return IME_PUSH_NOTHING_LEFT;
    case IME_KEY_RIGHT:
      ime_convs_set_cursor(c, c->curpos + 1);
      return editor.split_keys(c, false);
    case IME_KEY_OPTION_DOWN:
      ime_convs_set_cursor(c, c->inoff);
      return editor.split_keys(c, false);
    case IME_KEY_BACKSPACE:
    case IME_KEY_DELETE:
      return delete_key(c, key, editor);
    case IME_KEY_SUGGEST:
      if (!editor.splits_on_suggest) return -1;
      return editor.split_keys(c, false);
    case IME_KEY_RETRY:
      return editor.split_keys(c, true);
    default:
      break;
  }
  if (!ime_convs_type_key(c, key)) return -1;
  return editor.split_keys(c, false);
}

bool ime_convs_type_key(ime_conversation_t* c, int key) {
  const int typed = key == IME_KEY_COMMIT_RAW ? '.' : key;
  if (!is_printable(typed)) return false;
  const bool second_separator =
      typed == '\'' && c->curpos > 0 && c->inbuf[c->curpos - 1] == '\'';
  if (!second_separator) ime_convs_insert_key(c, static_cast<char>(typed));  // refused at 256
  return true;
}

int ime_convs_key_span(const ime_conversation_t* c,
                       int (*syllable_keys)(const ime_conversation_t* conversation, int i)) {
  if (c == nullptr) return 0;
  int position = 0;
  const int inoff = c->inoff < IME_MAX_KEYS ? c->inoff : IME_MAX_KEYS;
  for (int i = 0; i < c->pyoff && i < IME_MAX_SYLLABLES; ++i) {
    position += syllable_keys(c, i);
    if (position < inoff && c->inbuf[position] == '\'') ++position;
  }
  return position < inoff ? position : inoff;
}
