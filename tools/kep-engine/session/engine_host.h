// Starts the engine the way the input-method server does, for the drivers that type into it:
// the settings file, the engine's tables, the dictionaries and the chosen suggestions.
#pragma once

#include <string>

namespace kep_session {

// Reads imkkep.plist (the data folder's own, else the shipped defaults) as the settings, then
// starts the engine and opens the dictionaries. false with the reason in `error`.
bool start_engine_host(std::string* error);
// Writes what the engine keeps in memory (user phrases, chosen suggestions) and stops it.
// false, with the reason in `error`, when the user phrases could not be written.
bool stop_engine_host(std::string* error = nullptr);

}  // namespace kep_session
