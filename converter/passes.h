// The conversion passes over GB18030 text.
//
// Every pass walks the text one character at a time; a four-byte character is one character
// like any other, never split. A byte that cannot start a character is dropped, and so is a
// character cut off by the end of the text.
#pragma once

#include <string>
#include <string_view>

#include "converter/tables.h"

namespace converter {

// Replaces each character found in the table by its traditional text.
std::string character_pass(std::string_view gb18030, const CharTable& table);

// Corrects characters by their context, on the output of the character pass.
//
// At each character that has a section, the section's entries are tried longest window first.
// An entry matches when its after bytes follow the character in the input and its before
// bytes are the last bytes this pass has written, starting on a character boundary. The match
// takes back exactly those written bytes and writes the replacement for the whole window; the
// scan goes on after the window. Because the before bytes are compared with the output itself,
// a fix never removes bytes other than the ones it names, even when an earlier fix changed
// the text just before it.
std::string fix_pass(std::string_view gb18030, const FixTable& table);

// Replaces, in one scan from the start, the longest user-fix text at each position. Replaced
// text is not scanned again, so the result does not depend on the order of the entries.
std::string user_fix_pass(std::string_view utf8, const UserFixTable& table);

}  // namespace converter
