// The accessory code table fzm.db: for each hanzi the short letter codes (here its Cangjie
// codes) that narrow a candidate page when typed after Tab.
//
// fzm.db is UTF-8 text: lines of at most 127 bytes; ";" starts a comment; bytes 0-2 are the
// hanzi, from byte 4 on come its codes separated by blanks (each cut to 31 bytes). A later
// line for the same hanzi replaces the earlier one.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

inline constexpr std::size_t IME_ACC_LINE_MAX = 127;
inline constexpr std::size_t IME_ACC_CODE_MAX = 31;

using ime_acc_dict_t = std::unordered_map<std::string, std::vector<std::string>>;

// Hanzi (UTF-8) -> its codes; NULL until loaded.
extern ime_acc_dict_t* kAccCodeDict;

// Loads "fzm.db" when its path or modification time changed since the last load.
// 0; -1 when it cannot be found or opened; -2 when the table cannot be made.
int ime_load_acc();
// Releases the table and forgets what was loaded, so the next load reads the file again.
void ime_release_acc();

// Reads accessory code lines from `text` into `dict` (the parsing of ime_load_acc).
void ime_parse_acc_lines(const std::string& text, ime_acc_dict_t* dict);
