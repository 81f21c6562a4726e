// The text form of udb.lib: one phrase a line, no separators between the fields:
//
//   LL key initials finals tones NN RR text text2 frequency usage "\n"
//
// LL, NN, RR: two decimal digits (syllables; bytes of text and text2). key, initials, finals,
// tones: LL bytes each (key = initials folded f/h -> F, g/k -> K, l/n -> N; tones one hex digit
// of the mask each). frequency: "x" and 8 hex digits, or (older files) 3 decimal digits of a
// class. usage: ";" alone, or 3 digits of use count, 10 digits of time, ";". The file ends
// with a line "<END>"; nothing after it is read.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "user/udb_item.h"

inline constexpr std::string_view IME_UDB_END_TAG = "<END>";
// Longest line a reader takes (the longest phrase line is 330 bytes).
inline constexpr std::size_t IME_UDB_LINE_MAX = 511;
// The use count written never exceeds this.
inline constexpr int IME_UDB_USED_WRITTEN_MAX = 100;

struct UdbLine {
  std::string key;
  UDBItem item;  // the file's values; not yet marked as read from the file
};

// The phrase of one line (without its "\n"); nullopt for a malformed line or one whose texts
// or codes fail the checks above, with the reason (a log line) in `why`.
std::optional<UdbLine> ime_udb_parse_line(std::string_view line, std::string* why);

// The line of a phrase, "\n" included; empty when the phrase cannot be stored (a length out of
// range, a key that does not match the syllables).
std::string ime_udb_format_line(std::string_view key, const UDBItem& item);

// Text a phrase may be shown and committed as: valid UTF-8 without control characters (C0,
// DEL, C1), so nothing learned or read from the file can put an escape sequence on a screen
// or into an application.
bool ime_udb_showable_text(std::string_view text);
// Syllable codes (key, initials, finals): printable ASCII only.
bool ime_udb_code_bytes(std::string_view codes);

// The index key of initials: f/h -> F, g/k -> K, l/n -> N, other letters as they are.
std::string ime_udb_fold_key(std::string_view initials);
