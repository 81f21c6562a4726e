// The open dictionaries: entry 0 is the system dictionary of the resources, then the user's
// dictionary folders under "Dictionary" in the data folder.
#pragma once

#include "dict/qdict.h"

inline constexpr int IME_MAX_DICTS = 256;

extern ImeDict* ime_dict_pool[IME_MAX_DICTS];
extern int ime_dict_count;

// Opens the system dictionary (its counters start afresh when its version differs from the
// one recorded in the data folder) and every dictionary folder of the data folder. 0, or -1
// when the system dictionary cannot be opened; a user folder that fails is logged and skipped.
int ime_load_phrase();
// Opens the same set as ime_load_phrase aside and puts it in place of the open one, which is
// then closed; until then the open set is not touched. -1, with the open set kept as it was,
// when the new set cannot be opened.
int ime_reload_phrase();
// Closes every open dictionary.
void ime_close_phrase();

// The first line of a dictionary version file (at most 31 bytes), "1.0" when the file is
// missing or its first line empty.
std::string ime_dict_version(const std::string& version_file);
