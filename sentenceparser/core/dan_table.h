// The single-character table (one row of GBK characters per syllable number, from pydan.tab),
// the substitutes wanted when one character is asked for, the accent additions and the choice
// that combines them.
#pragma once

namespace sentence {

inline constexpr int kDanRows = 434;  // syllables 0..432 and one spare row

struct DanRow {
  char syllable[7];       // "aP" for the one-vowel syllables
  unsigned char count;    // characters in `characters`
  char* characters;       // count GBK characters, NUL-terminated; owned by the row
};
extern DanRow DanTab[kDanRows];
extern int DanNum;
extern int LoadDanTabFlag;

// Longest line of pydan.tab; a longer line is refused, not split.
inline constexpr int kDanLineMax = 255;
// Characters a row may hold: a word library stores a position as one byte, and the values
// 122..127 are its escapes.
inline constexpr int kDanRowMax = 122;

// Loads the table once from the resource pydan.tab. FreeDan releases it.
void LoadDan();
void FreeDan();
// Loads from an explicit file (tests, tools). 1 when the file could be read.
int LoadDanFrom(const char* path);

// Output of GetRepeatHz: at least this many bytes.
inline constexpr int kRepeatHzOutput = 521;

// The characters of `text` (a syllable, an upper-case initial, or other text): mode 0 one
// character (substitutes first), any other mode the whole list with its accent additions.
// Returns the characters written; 0 when the text is empty, longer than 16 bytes, or the
// syllable has no character at all.
unsigned GetRepeatHz(const char* prefix, const char* text, char* output, signed char mode);
// The one character of a two-byte syllable code (initial + final code letter).
int GetDan(const char* code, char* output);
int ChangeDan(const char* text, char* output);
void AddSouthPY(const char* text, const char* list, char* output);
// `first` followed by the characters of `second` not in `first`; returns characters written.
int PromptJion(const char* first, const char* second, char* output);
int DbchInDbchs(const char* character, const char* list);

}  // namespace sentence
