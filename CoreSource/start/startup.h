// The engine's own start and stop routines: ime_init loads the shipped tables and the per-user
// files in a fixed order, ime_exit releases them. A host that runs its own start-up calls the
// same loaders itself.
#pragma once

// 0 on success (at once when the engine has already started); -1 when a table, the user phrase
// database or the data folder fails, leaving what was loaded in place for ime_exit; -2 when the
// pinyin splitter cannot start. A later call then tries again. Each step is logged.
int ime_init();
// Why the last ime_init failed: the ERROR line it logged last; "" after a start that got
// through. For a host to show when the log could not be written.
const char* ime_init_failure();
// Releases what ime_init loaded, writing the user phrase database and the chosen suggestions
// first; nothing when it has not run. ime_init may run again after it.
void ime_exit();
