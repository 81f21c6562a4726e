// Engine-wide switches (set by the configuration reload from the settings) and the state of
// the conversation being matched, shared by the query modules. One engine thread per process
// reads and writes them.
#pragma once

#include "record/conversation.h"

// Extended dictionary search and ordering (setting ExpendedSearch).
extern int ime_fill_count;

// Fuzzy pinyin (setting EnableFuzzyPinyin) and its pairs; the pairs count only while
// ime_fuzzy_mode is on.
extern int ime_fuzzy_mode;
extern int ime_fuzzy_k2g;
extern int ime_fuzzy_f2h;
extern int ime_fuzzy_l2n;
extern int ime_fuzzy_l2r;
extern int ime_fuzzy_z2zh;
extern int ime_fuzzy_c2ch;
extern int ime_fuzzy_s2sh;
extern int ime_fuzzy_an2ang;
extern int ime_fuzzy_en2eng;
extern int ime_fuzzy_in2ing;
extern int ime_fuzzy_ian2iang;
extern int ime_fuzzy_uan2uang;

// Code-table scheme: 0 while the code table answers the keys, 1 once they fell back to pinyin
// (the pinyin paths then treat the scheme as pinyin).
extern int ime_plug_mode;
// Single-character queries also take records of class 0 (rare characters).
extern int ime_query_all;
// Bit 0: a phrase query found words covering the whole span asked for (read by the matchers).
extern int ime_am_flag;

// Syllables left after the chosen segments, minus one (pynum - pyoff of the conversation
// being matched).
extern int ime_current_pynum;
// The conversation of the active input context; NULL when none is active.
extern ime_conversation_t* ime_current_convs;

// Start-up state (ime_init, ime_exit) and the engine settings start-up resets.
// 1 once ime_init has run (until ime_exit).
extern int ime_system_inited;
// 1 once the tables are loaded; gates the features that need them.
extern int ime_valid;
// Engine settings that start-up resets and the configuration reload sets from the settings.
extern int ime_page_size;
extern int ime_mode;  // 0 full pinyin, 1 double pinyin, 2 code table; -1 asks for a fresh choice
extern char ime_candidate_fcolor[7];
extern char ime_candidate_bcolor[7];
// The suggested-split mode of the splitter, cleared at start.
extern int suggestted_mode;
