// The script row adder: a Lua 5.1 C function that appends one row to the V-mode list.
#pragma once

#include "platform/plist.h"

struct lua_State;

namespace kepcandidatewindow {

// ScriptAddRow(key, description, items) returns one number: -1 unless given exactly three
// arguments; -2 unless two strings and a table; -3 for an empty key or description, or an empty
// item; -4 for a text that is not UTF-8; else 0. A key beginning with "#" is a comment: 0, no
// row. Table entries 1..#items that are not strings are skipped. The row is appended unsorted
// to the registered rows; with none registered it is checked and dropped.
int ScriptAddRow(lua_State* state);

// The rows ScriptAddRow appends to (nullptr: none). The V-mode panel registers its own.
void setScriptRowTarget(platform::plist::Array* rows);
platform::plist::Array* scriptRowTarget();

}  // namespace kepcandidatewindow
