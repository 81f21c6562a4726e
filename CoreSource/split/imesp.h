// Double pinyin: the scheme (which key types which initials and finals), its file format
// (".spc") and the conversion of typed key pairs into pinyin syllables.
//
// A scheme file is text, one entry a line:
//   ; comment                 (first non-blank character)
//   [sm] / [SM]               initials section      part=key, e.g. zh=v
//   [ym] / [YM]               finals section        part=key, e.g. iong=s
//   [zm] / [ZM]               zero-initial section  prefix=key
//   [anything else]           a section whose lines are ignored
// A part is up to six letters and may sit on up to three keys' slots; blanks are part of the
// text ("zh =v" is the part "zh "). The zero-initial prefix names the key that starts a
// syllable without initial (its second key then gives the whole final), or "$" for schemes in
// which such syllables are typed with their own first letter.
#pragma once

#include <cstddef>
#include <cstdint>

#include "record/conversation.h"

inline constexpr int IME_SP_KEYS = 128;             // the tables are indexed by ASCII code
inline constexpr int IME_SP_PARTS_PER_KEY = 3;
inline constexpr int IME_SP_PART_LETTERS = 6;
inline constexpr int IME_SP_LINE_BYTES = 127;       // longest scheme line, line feed excluded
inline constexpr int IME_SP_DISPLAY_BYTES = 128;    // key display with its NUL
inline constexpr int IME_SP_KEYS_PER_SYLLABLE = 3;
// Zero-initial prefix meaning "typed with the final's own first letter".
inline constexpr char IME_SP_PREFIX_OWN_LETTER = '$';

// The parts one key types, in the order the file gave them.
struct ime_sp_parts_t {
  char part[IME_SP_PARTS_PER_KEY][IME_SP_PART_LETTERS + 1];
  std::uint8_t length[IME_SP_PARTS_PER_KEY];  // 0: slot unused
};

struct ime_sp_schema_t {
  ime_sp_parts_t initials[IME_SP_KEYS];
  ime_sp_parts_t finals[IME_SP_KEYS];
  char prefix;  // zero-initial prefix key; 0 none
};

// The loaded scheme: one per process, replaced by each load.
extern ime_sp_schema_t ime_schema;

// The keys of the last ime_get_py call with "'" between syllables, shown as the composition.
extern char ime_sp_buffer[IME_SP_DISPLAY_BYTES];
extern int ime_sp_buffer_len;

// Loads a scheme file. -1 when it cannot be opened (the old scheme stays); otherwise the old
// scheme is cleared, every line read, and 0 returned. Lines the tables cannot hold (longer
// than 127 bytes, a part over six letters, a key outside ASCII) are refused with a log line.
int ime_load_sp_config(const char* path);

// Empties the scheme: no parts, no prefix.
void ime_sp_clear_schema();

// Turns `key_count` typed keys into syllables with the loaded scheme. Syllable i is written to
// syllables[i] and the keys that typed it (at most three, no separator) to syllable_keys[i];
// at most `capacity` syllables are made. The number made goes to `*count`: 0 when a syllable
// would begin with a key other than a-z. Rebuilds ime_sp_buffer. 0, or -1 for bad arguments.
int ime_get_py(const char* keys, int key_count, char (*syllables)[IME_SYLLABLE_BYTES],
               char (*syllable_keys)[IME_SYLLABLE_BYTES], int* count,
               int capacity = IME_MAX_SYLLABLES);

// True when `text` (at most six letters) is a pinyin syllable.
bool ime_sp_is_syllable(const char* text, std::size_t length);
