// The word libraries under the data path: their file names, index records, record widths, the
// stored-byte escape, the decoding of a record's character positions and the weight rules.
//
//   main/mgrm<N-2>.inx/.dat  words of N = 2..7 syllables (main/mgrm0j.inx: two-initial index
//                            of the two-syllable words)
//   mpp/w<N>.inx/.dat        words that may stand as the whole input, N = 2..7
//   mpp/j10<N>.inx/.dat      words that may only begin ("h") or end ("e") the input, N = 2..6
//   mpp/bd1, bd2, bdj2       words of one or two syllables between two fixed items
//
// Index records are 6 bytes (uint32 first record, uint16 count, little-endian); a bucket's
// records are contiguous and sorted by their compared bytes. No record byte is 0.
#pragma once

#include <cstdint>

#include "sentenceparser/core/sp_file.h"

namespace sentence {

// A word's text: at most 9 characters of two bytes and a terminator.
inline constexpr int kWordTextSize = 32;

// Index entry `k` of an open index file: the first record number, with the count in `count`.
// -1 (count 0) when the entry lies outside the file. Get44Pos reads 8-byte entries (uint32,
// uint32), Get22Pos 4-byte ones (uint16, uint16).
std::int64_t Get42Pos(std::int64_t k, int* count, SpFile* file);
std::int64_t Get44Pos(std::int64_t k, std::int64_t* count, SpFile* file);
std::int64_t Get22Pos(std::int64_t k, int* count, SpFile* file);

// Record widths of the main, whole-sentence and head-and-end libraries; 0 for another N.
int gethlen(int n);
int getwlen(int n);
int getj10len(int n);

// The stored-byte escape in place (library_layout.h: stored_byte_value).
void tranpos(int* value);

// Replaces the n stored position bytes at the start of `text` by n GBK characters, syllable i
// being the key's initial and final code of syllable i (two-syllable keys: bytes 0/1 and 4/5).
// 1 when every syllable decoded; 0 when a syllable has no number or a position lies outside its
// row (the text is then emptied).
int decodehz(const char* key, int n, char* text);

// Split marks of a record's flags: `splits` the marks set, `singles` the one-syllable pieces.
void fendannum(unsigned char flags, int n, int* splits, int* singles);
// Weight adjustment of a full-pinyin read; may empty the text when `keep` is 0.
void tonebkpl(char* text, int n, unsigned char flags, int* weight, int keep);
// Weight adjustment of an abbreviation read.
int tonejppl(int n, unsigned char flags, int parts, const char* word, int weight);

// 1 when the texts differ in length, or the candidate holds the same two bytes wherever the
// fixed text holds a GB2312 Chinese character; else 0.
int accordhz(const char* fixed, const char* candidate);

// Number words of 4..MaxWordNum syllables (ling, yi, er, ... shi).
int is_numci(const char* key, int n, char* text, int* weight, unsigned char* flags);

}  // namespace sentence
