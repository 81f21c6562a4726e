// Two-character syllable codes: a syllable's first letter and one printable character that
// stands for the rest of it. Dictionaries, the user phrase database and the pinyin tables all
// store syllables this way, so the final table is part of the stored formats.
#pragma once

// Rewrites the one-vowel syllables to their placeholder forms and back:
// direction 1 "a"/"e"/"o" -> "aP"/"eQ"/"oR", direction 0 the reverse. Other texts are copied.
// `out` holds at least 8 bytes. Returns 0 when a special form matched, else non-zero.
int ime_dan_to_shuang(const char* text, char* out, int direction);

// Direction 0: final text -> its code character; direction 1: code character -> final text.
// Writes a NUL-terminated result and returns 0 on a hit; on a miss returns non-zero and leaves
// `out` untouched. `out` holds at least 8 bytes.
int ime_trans_ym(const char* text, char* out, int direction);

// Splits a syllable into its initial letter and final code. A syllable whose remainder is not
// in the table gets the code 0.
void ime_decompose_py(const char* syllable, char* initial, char* code);

// Builds the syllable text for an initial letter and a final code into `out` (8 bytes); an
// unknown code yields the initial letter alone.
void ime_compose_py(char initial, char code, char* out);

// Every valid syllable with its tones stripped, "v" spelling ü; ends with nullptr.
extern const char* const ime_all_syllables[];
