// Full-pinyin matching: one engine key at a time turns into an edit of the typed keys, a
// re-split and re-query, a page turn, a selection (with frequency learning), a tone change, a
// switch into one of the string modes (i, u, V, D, accessory) or a commit.
//
// The host (the server, kep-engine) owns the conversation: it calls ime_convs_match with an
// engine key code (conversation.h) and acts on the result: IME_MATCH_SHOW (show the marked text
// and the page), IME_MATCH_COMMITTED (insert `outbuf`, then ime_convs_reset), IME_MATCH_NOT_MINE
// (give the key to the client). Before each key it sets ime_duration (imeconvs2.h), which
// decides whether a commit is learned.
#pragma once

#include "record/conversation.h"

// Handles one key in full-pinyin mode. IME_MATCH_SHOW, IME_MATCH_COMMITTED or IME_MATCH_NOT_MINE.
int ime_convs_match(ime_conversation_t* conversation, int key);

// The key editor of pinyin input: edits the keys at the cursor (cursor keys, Backspace, Delete,
// a character, IME_KEY_SUGGEST, IME_KEY_RETRY) and splits the keys after the chosen part up to
// the cursor into syllables, or puts the conversation into D-mode when they cannot be split.
// 0 (keys changed and split, or D-mode set); IME_PUSH_NOTHING_LEFT (99: nothing left to show);
// -1 (the key was refused).
inline constexpr int IME_PUSH_NOTHING_LEFT = 99;
int ime_convs_push_key(ime_conversation_t* conversation, int key);

// The plain editor of the string modes (i, u, V): edits the keys without splitting them; the
// mode letter in front stays unless it is the only key. `outbuf` becomes the keys. 0.
int ime_push_simple_key(ime_conversation_t* conversation, int key);

// Empties the conversation for the next composition: keys, syllables, tones, lists, page,
// segments, output, the i/D/u/V/accessory flags and the engine-wide caches of the last
// composition. The traditional flag, the pairing state and the host's mode values stay. 0.
int ime_convs_reset(ime_conversation_t* conversation);

// Drops the last key (and the "'" before it) and forgets the chosen segments; resets the
// conversation when no key is left. 0, or -1 when there is nothing to drop.
int ime_convs_pop_key(ime_conversation_t* conversation);

// The number of keys the chosen segments cover: each consumed syllable's typed letters, plus one
// for a "'" typed right after it. Splitting starts at this key.
int ime_convs_chosen_key_span(const ime_conversation_t* conversation);

// Syllables the chosen segments consume: a dictionary word its typed syllables (rplen), any
// other candidate its own syllables (plen).
int ime_convs_segment_syllables(const ime_query_result_t* segment);
