// Candidates that come from strings instead of the pinyin tables: the user's abbreviations,
// the V-mode lists (keys after a leading "v") and the i-mode / u-mode numerals (keys after a
// leading "i" or "u": digits and unit letters turned into Chinese numerals, lower-case or
// financial forms). The matchers call these on each key of such a mode, then build with mode 9.
#pragma once

#include <cstddef>

#include "record/conversation.h"

// Abbreviation items of this many bytes or more are not offered.
inline constexpr std::size_t IME_ABBR_ITEM_LIMIT = 60;
// At most this many items of a V-mode entry are offered.
inline constexpr int IME_VMODE_ITEM_LIMIT = 128;

// Looks `key` up in the user's abbreviation table (only with the setting EnableUserString on).
// Found: the composition is reset to the abbreviation (no syllables, every list emptied), its
// items under 60 bytes go to list 1 as type-6 strings and the first nine onto the page; D-mode
// is cleared; 0. Not found or switched off: -1, nothing changed.
int ime_build_abbr_str(ime_conversation_t* conversation, const char* key);

// V-mode: the keys up to the cursor are first tried as an abbreviation; then, with at least two
// keys before the cursor ("v" and a key), the V-mode entry of the keys after the "v" adds its
// items (at most 128) to list 1 as type-5 strings. Returns the number of items added; when the
// entry is missing, `ncand` - 1 (the count the abbreviation step left, less one); -1 with fewer
// than two keys before the cursor.
int ime_build_vmode_str(ime_conversation_t* conversation);

// The first step of the V-mode and i-mode builders: the keys up to the cursor tried as an
// abbreviation. Not found, the composition is emptied as for a string. The candidate count to
// carry on with: 0 when the cursor is at 0 or nothing was found, else the abbreviation strings
// on the page plus one.
int ime_build_abbr_prefix(ime_conversation_t* conversation);

// i-mode ('i') or u-mode ('u'): the keys after the mode letter up to the cursor become one
// type-5 string of Chinese numerals and units (u: financial forms), with its traditional form
// beside it, added to list 1 after any abbreviation strings of the same keys. Keys without a
// numeral are left out. 0.
int ime_build_imode_str(ime_conversation_t* conversation, char mode_key);

// The numeral of one i-/u-mode key as UTF-8 ("" when the key has none); `traditional` asks for
// the traditional form, `traditional_mode` is the conversation's traditional flag (it turns 点
// into 點 in both forms).
const char* ime_imode_numeral(char mode_key, char key, bool traditional, bool traditional_mode);
