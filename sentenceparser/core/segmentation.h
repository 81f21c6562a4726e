// The segmentation passes the driver runs over the item table, in this order: ScanBetweenDot,
// ScanGapTwice, (head and end characters), Scan1, ScanJp(2, 9), ScanJp(1, 1).
#pragma once

namespace sentence {

void ScanBetweenDot();
void ScanGapTwice();
void ScanJp(int shortest, int longest);

// Whether items first..last form a word: 1 with its text, weight and division byte.
int IsWord(int first, int last, char* text, int* weight, unsigned char* division);
// Writes a word's division byte into items first..last (word starts and ends).
void setfen(int first, int last, unsigned char division);
// Copies item `index` (or all, with -1) between NCM (0), NCM1 (1) and NCM2 (2).
void NCMCopy(int from, int to, int index);
// The abbreviation key of items first..last: an upper-case initial per item ("I" for a digit).
int TakeChkJp(int first, int last, char* key);

}  // namespace sentence
