// The key editing the pinyin schemes share (full and double pinyin): cursor keys, Backspace,
// Delete and typed characters, each followed by the scheme's own split of the keys (not for
// hosts).
#pragma once

#include "record/conversation.h"

// What a scheme does where the editing of its keys differs.
struct ime_key_editor_t {
  // Keys the chosen segments cover from the front; splitting starts there.
  int (*chosen_key_span)(const ime_conversation_t* conversation);
  // Keys a plain Left moves over when it leaves syllable i.
  int (*left_step)(const ime_conversation_t* conversation, int i);
  // Splits the keys after the chosen part up to the cursor (`whole`: up to the end, the cursor
  // moving there). A push result.
  int (*split_keys)(ime_conversation_t* conversation, bool whole);
  // Takes the last chosen segment back: its syllables become input again.
  void (*unchoose_last_segment)(ime_conversation_t* conversation);
  // Runs after a delete that leaves keys, before they are split again; may be null.
  void (*after_delete)(ime_conversation_t* conversation);
  // IME_KEY_SUGGEST re-splits the keys; without this it is refused like any unknown key.
  bool splits_on_suggest;
};

// Edits the keys with `key` and lets the scheme split them again. 0, IME_PUSH_NOTHING_LEFT
// (imeconvs1.h) or -1 (refused).
int ime_convs_edit_keys(ime_conversation_t* conversation, int key, const ime_key_editor_t& editor);

// The keys the first `pyoff` syllables cover, each measured by `syllable_keys`, plus one for a
// "'" typed right after a syllable; never more than the keys typed.
int ime_convs_key_span(const ime_conversation_t* conversation,
                       int (*syllable_keys)(const ime_conversation_t* conversation, int i));

// Types a character key at the cursor, IME_KEY_COMMIT_RAW as "."; a second "'" in a row is
// dropped. False when the key is no character.
bool ime_convs_type_key(ime_conversation_t* conversation, int key);

// Backspace deletes the key before the cursor, Delete the one at it.
inline void ime_convs_delete_by_key(ime_conversation_t* conversation, int key) {
  if (key == IME_KEY_BACKSPACE) {
    ime_convs_delete_key_before(conversation);
  } else {
    ime_convs_delete_key_at(conversation);
  }
}
