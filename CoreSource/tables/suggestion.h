// The suggestions the user has chosen, kept per user in qy.cfg (one UTF-8 text a line; an
// empty line ends the list).
#pragma once

#include <set>
#include <string>

// NULL until loaded.
extern std::set<std::string>* selectedSuggestions;

// Replaces the list by the lines of qy.cfg in the data folder; a missing file gives an empty
// list. 0, or -1 when there is no data folder.
int ime_load_suggestion();
// Writes the list to qy.cfg (replacing it atomically), then releases it. 0 when there is no
// list; -1 when the file cannot be written (the list is released all the same).
int ime_save_suggestion();
