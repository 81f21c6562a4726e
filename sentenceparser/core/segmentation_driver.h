// The segmentation driver: runs the passes over the item table in their fixed order and
// reports whether every pinyin item got a character.
#pragma once

namespace sentence {

// 10000 when every pinyin item was resolved, 10001 when no item holds pinyin, else the number
// of the first item that got the placeholder character.
int fixpyhz(char* output, signed char mode);
void process_headend();
int gethead_chr(const char* syllable, char* out);
int getend_chr(const char* syllable, char* out, const char* following);
// Gives each unfixed lower-case pinyin item its syllable's single character.
void Scan1();
// The word key of items first..last (see word_lookup.h); `key` holds 16 bytes. 1, or 0 when an
// item is no syllable.
int TakeChkp(int first, int last, char* key);

}  // namespace sentence
