// Double-pinyin matching: every syllable is typed as (at most) two keys of the loaded scheme
// (imesp.h). The matcher follows the full-pinyin matcher's steps (imeconvs1.h) and shares its
// gathering, paging and learning; it differs where the keys differ:
//   - the string modes start with the capitals "I", "U" and "V" (lower-case i, u, v are keys);
//   - the keys after the chosen part are turned into syllables with ime_get_py, each syllable's
//     keys kept in `spy`, and the key span of the chosen part is measured on `spy`;
//   - a chosen candidate consumes its own syllables (plen); "0" is not a key of this scheme.
#pragma once

#include "record/conversation.h"

// Handles one key in double-pinyin mode. IME_MATCH_SHOW, IME_MATCH_COMMITTED or
// IME_MATCH_NOT_MINE.
int ime_convs_match_sp(ime_conversation_t* conversation, int key);

// The key editor of double pinyin: edits the keys at the cursor like ime_convs_push_key, then
// turns the keys after the chosen part up to the cursor into syllables (IME_KEY_RETRY: up to
// the end, the cursor moving there). Keys other than a-z, "'" and ";" make the input raw
// (D-mode). 0 (edited; D-mode when nothing could be split), IME_PUSH_NOTHING_LEFT (99), or -1.
int ime_convs_push_key_sp(ime_conversation_t* conversation, int key);

// The number of keys the chosen segments cover in double pinyin: each consumed syllable's keys
// (`spy`), plus one for a "'" typed right after it.
int ime_convs_chosen_key_span_sp(const ime_conversation_t* conversation);
