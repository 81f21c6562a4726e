// The configuration reload: copies the user's settings (kIMEConfigureDictionary, read through
// settings_keys) into the engine's globals and resets the fixed engine parameters. Start-up
// runs it once after the tables are loaded; the server runs it again after each settings
// change.
//
// The globals it sets that live elsewhere: ime_page_size, ime_mode, ime_candidate_fcolor,
// ime_candidate_bcolor, ime_valid (startup.h); ime_freq_mode, ime_hzfreq_val (freq.h);
// ime_fill_count, ime_query_all, ime_fuzzy_* (engine_globals.h); ime_auto_* (py_autocorrect.h).
#pragma once

// Sentence service: 1 when its word libraries are installed (the service can be used).
extern int ime_full_convert;
// Candidate font size, opacity in percent, and whether the candidate window draws a shadow.
extern int ime_font_size;
extern int ime_candidate_alpha;
extern int ime_shadow;
// Traditional output chosen in the settings (the server applies it to conversations).
extern int ime_big5_output;
// Committed phrases are not learned into the user phrase database.
extern int ime_bypass_uphrase;
// The key that switches Chinese/English input: 0 Caps Lock, 1 Shift, other values none.
extern int ime_switch_key;
// Switches of the server's key handling and mode switch, fixed at 1 by the reload.
extern int ime_smart_www;
extern int ime_keep_keypad;
extern int ime_show_tip;
extern int ime_switch_big5;
// Frequency parameter of the matchers and stores, fixed at 0 by the reload.
extern int ime_fix_freq;
// Least time between the previous key and the selecting key, in microseconds, for a
// committed phrase to be learned.
extern int ime_duration_delay;

inline constexpr int IME_DEFAULT_PAGE_SIZE = 6;
inline constexpr int IME_DEFAULT_DURATION_DELAY = 260000;

// Reloads the accessory table (with EnableAccessory) and the V-mode and abbreviation tables
// (QAVModeInit, of the engine's resource bundle ime_bundle_name), reads every setting (missing
// keys take their defaults), holds the page size to 1..9 and sets ime_valid. A failed table
// load is logged and the reload goes on; it never fails and returns 0.
int ime_config_reload();
