// The accessory filter of phrase candidates: after Tab the user types letters that narrow the
// page to words whose characters have accessory codes starting with those letters.
#pragma once

#include <string_view>

// True when each of the first `count` characters of the UTF-8 word that has accessory codes
// has one starting with the letter typed at its position, and at least one of them has codes
// at all. A word of fewer characters than letters fails. Needs kAccCodeDict loaded (false
// without it).
bool ime_acc_word_passes(std::string_view utf8_word, const char* letters, int count);
