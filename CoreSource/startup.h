// The engine's own start and stop routines: ime_init loads the shipped tables and the per-user
// files in a fixed order, ime_exit releases them. A host that runs its own start-up calls the
// same loaders itself.
#pragma once

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

// 0 on success (at once when the engine has already started); -1 when a table, the user phrase
// database or the data folder fails, leaving what was loaded in place for ime_exit; -2 when the
// pinyin splitter cannot start. A later call then tries again. Each step is logged.
int ime_init();
// Releases what ime_init loaded, writing the user phrase database and the chosen suggestions
// first; nothing when it has not run. ime_init may run again after it.
void ime_exit();
