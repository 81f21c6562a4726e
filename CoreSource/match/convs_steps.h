// Steps the matchers (full pinyin, double pinyin, code table) share between their files (not
// for hosts).
#pragma once

#include "record/conversation.h"

inline bool ime_is_cursor_key(int key) {
  return key == IME_KEY_OPTION_LEFT || key == IME_KEY_RIGHT || key == IME_KEY_LEFT ||
         key == IME_KEY_OPTION_UP || key == IME_KEY_OPTION_DOWN;
}

inline bool ime_is_tone_key(int key) {
  return key == IME_KEY_TAB || (key >= IME_KEY_TONE_BASE && key <= IME_KEY_TONE_LAST);
}

// What a pinyin scheme does at the steps of a key where the schemes differ.
struct ime_scheme_steps_t {
  // The first key of a composition decides its kind.
  void (*first_key)(ime_conversation_t* conversation, int key);
  // A printable key while the keys are raw (D-mode). A matcher result.
  int (*raw_key)(ime_conversation_t* conversation, int key);
  // Which keys edit the typed keys, and what editing does. A matcher result.
  bool (*is_editing_key)(int key);
  int (*edit)(ime_conversation_t* conversation, int key);
  // Every other key: selections, tones, pages, Return. A matcher result.
  int (*other_key)(ime_conversation_t* conversation, int key);
};

// Handles one key of a pinyin scheme: accessory mode, the string modes and raw keys take it
// first, then the scheme's editing or other steps. A matcher result.
int ime_convs_match_scheme(ime_conversation_t* conversation, int key,
                           const ime_scheme_steps_t& steps);

// The keys left once a pinyin scheme's editing keys are taken: -n deletes candidate n, 1-9 and
// Space go to `select`, Tab and tone keys change a tone, Return commits the keys raw, page keys
// turn the page. A matcher result; IME_MATCH_NOT_MINE for any other key.
int ime_convs_candidate_key_step(ime_conversation_t* conversation, int key,
                                 int (*select)(ime_conversation_t* conversation, int number));

// The first key where the capitals "I", "U" and "V" start the string modes, lower-case letters
// being keys of the scheme.
void ime_convs_capital_first_key(ime_conversation_t* conversation, int key);

// Re-queries when the keys are pinyin, or shows the raw keys (and their abbreviation, when they
// are one) in D-mode; then builds and shows page `page`. IME_MATCH_SHOW.
int ime_convs_requery_and_show(ime_conversation_t* conversation);
// Builds list 3 and the output after a key, then shows page `page`. IME_MATCH_SHOW.
int ime_convs_build_and_show(ime_conversation_t* conversation);

// Tab on a page enters accessory mode; letters typed then narrow the page. IME_MATCH_SHOW when
// the key was taken, 1 when it goes on to the matcher's other steps.
int ime_convs_accessory_step(ime_conversation_t* conversation, int key);
// A key of i-mode or u-mode: the keys make one numeral string. IME_MATCH_SHOW.
int ime_convs_numeral_mode_step(ime_conversation_t* conversation, int key);
// An editing key of V-mode: the keys look up the V-mode lists. IME_MATCH_SHOW.
int ime_convs_vmode_step(ime_conversation_t* conversation, int key);
// -n: deletes the dictionary or user word shown as candidate n from the user store and shows
// the page again. IME_MATCH_SHOW, or IME_MATCH_NOT_MINE when there is no such word to delete.
int ime_convs_delete_candidate(ime_conversation_t* conversation, int n);
// Tab or a tone key cycles the tone of one of the remaining syllables. IME_MATCH_SHOW.
int ime_convs_tone_step(ime_conversation_t* conversation, int key);
// Page up (-1) / down (+1); the page shown stays when the one next to it cannot be shown.
// IME_MATCH_SHOW, or IME_MATCH_NOT_MINE without keys.
int ime_convs_turn_page(ime_conversation_t* conversation, int step);

// Selects candidate `number` (1-9) of the page: the chosen segment, frequency learning, and the
// commit or re-query that follows. A matcher result.
int ime_convs_select(ime_conversation_t* conversation, int number);

// Frequency learning of a selection of candidate `i` of page `page` (convs_freq.cpp).
void ime_convs_learn_selection(ime_conversation_t* conversation, int i);
