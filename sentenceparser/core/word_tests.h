// Is a run of two to four Chinese characters a word? The cz libraries (hanzi-keyed index:
// 4-byte entries, uint16 first record and uint16 count, by the first character's number), and
// the grammar of number words.
#pragma once

#include "sentenceparser/core/sp_file.h"

namespace sentence {

int IsHzWord(const char* text, int mode);
// 1 found, 0 not, -1 a library file missing.
int InS2Cz(const char* text, int mode);
int IsNumWords(const char* text, int n);
// Entry k of a hanzi-keyed index: the first record, with the count in `count`; -1 outside.
int GetLib22Pos(int k, int* count, SpFile* index);
int BsrhJ2(const char* text, int index, long group_start, SpFile* records, int length);
// Undoes the record substitution in place (mode 1 full, 0 high bytes only); the length.
int DecodeChr(char* buffer, int mode);
// Binary search of a hanzi-keyed library (paths under the data path) for `text` of `length`
// bytes, keyed by its first character, records of length - 2 bytes: 1 found, 0 not (also for a
// first byte pair that is no GB2312 hanzi), -1 a file missing.
int FindInHanziLibrary(const char* index_name, const char* records_name, const char* text,
                       int length);

}  // namespace sentence
