// The input scheme a driver types in, chosen the way the server chooses it: full pinyin, a
// double-pinyin scheme file ("<name>.spc" among the engine's resources, the data folder's own
// first) or a compiled code table ("<name>.pct" with its data files).
#pragma once

#include <string>

namespace kep_session {

// Selects the scheme of `choice`: "full", "double:<scheme name>" or "code:<table name>".
// Code tables are looked up in `table_dir`, or in the data folder's PlugCodeTable when it is
// empty. Call after start_engine_host. false with the reason in `error`.
bool select_input_scheme(const std::string& choice, const std::string& table_dir,
                         std::string* error);
// Closes the code table a selection opened and returns to full pinyin.
void close_input_scheme();

}  // namespace kep_session
