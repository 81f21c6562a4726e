// Readings of GB2312 characters and words: one character's most common reading from
// main/mdan.mpy, a word's from the reading libraries tools/dyc{n} and tools/dyz{n}.
#pragma once

#include <cstddef>

#include "sentenceparser/core/sp_file.h"

namespace sentence {

inline constexpr int kMaxWordNum = 7;
// Room for a word's reading: 7 syllables of at most 6 letters joined by '-', and the NUL.
inline constexpr std::size_t kWordReadingBytes = 50;

// Writes the most common reading (at most 6 letters) of the GB2312 hanzi in the first two bytes
// of `character` into `out` (7 bytes) and returns 1. Otherwise 0 with `out` empty, so a failed
// call never leaves a syllable behind that a caller could take for a reading.
int GetHzPy(const char* character, char* out);

// The reading of a word of 1..7 GB2312 hanzi, syllables joined by '-', into `out`
// (kWordReadingBytes). 1 found; 0 not found; -1 when the word is no such word or a library
// file is missing. Mode 0 reads tools/dyc{n}, falling back to the characters' own readings;
// any other mode reads only tools/dyz{n} (words of 2..7 characters).
int GetPyFromBase(const char* word, char* out, int mode);

// 0 when `text` is not exactly one GB2312 hanzi; 2 for a character read more than one way in
// common use; else 1.
int GetVoiceNum(const char* text);

// One probe of a reading library of `n`-character words: compares `word` without its first
// character with the key of record `index` of the group starting at byte `group_start`, like
// strcmp. On equality the record's reading goes to `out` (kWordReadingBytes). A record that
// cannot be read or holds no reading compares as smaller, so a search moves on and ends.
int BsrhDuoYin(const char* word, int index, long group_start, SpFile* file, int n, char* out);

}  // namespace sentence
