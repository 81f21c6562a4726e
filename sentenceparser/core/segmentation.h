// The segmentation passes the driver runs over the item table, in this order: ScanBetweenDot,
// ScanGapTwice, (head and end characters), Scan1, ScanJp(2, 9), ScanJp(1, 1).
#pragma once

namespace sentence {

void ScanBetweenDot();
void ScanGapTwice();
void ScanJp(int shortest, int longest);

// A whole-input word outweighs every split of the same input: above the window's early stop and
// above any sum of word weights a split of at most 7 syllables can reach.
inline constexpr int kWholeWordWeight = 100000;
// The division byte of a word without inner word ends.
inline constexpr unsigned char kNoInnerEnds = 0x80;

// The items the word search covers: all of them, less a trailing given character or digit.
int SearchableItems();
// Whether items first..last form a word: 1 with its text, weight and division byte. `text`
// holds kWordTextSize bytes.
int IsWord(int first, int last, char* text, int* weight, unsigned char* division);
// Writes a word's division byte into items first..last (word starts and ends).
void setfen(int first, int last, unsigned char division);
// Copies item `index` (or all, with -1) between NCM (0), NCM1 (1) and NCM2 (2); the pairs 0-1,
// 0-2, 1-0 and 2-0 only.
void NCMCopy(int from, int to, int index);
// The abbreviation key of items first..last: an upper-case initial per item ("I" for a digit),
// NUL-terminated in `key` (16 bytes). The key's length, or 0 when an item has no initial.
int TakeChkJp(int first, int last, char* key);
// The pattern of items first..last that every lookup must accord with: two bytes per item, "iA"
// for a digit, the item's Chinese character, else "AA". `text` holds kWordTextSize bytes; 0 when
// the range does not fit.
int TakePattern(int first, int last, char* text);

// The lookups the passes ask. The passes go through this table so that their search rules can be
// tried on scripted words; it points at the word libraries' readers.
struct WordLookups {
  int (*my_word)(int first, int last, const char* key, int n, char* text, int* weight,
                 unsigned char* flags, int learned);
  int (*whole_word)(int first, int last, const char* key, int n, char* text);
  int (*head_end_word)(int first, int last, const char* key, int n, char* text, int* weight,
                       unsigned char* flags);
  int (*jp_word)(const char* key, int n, char* text, int* weight);
  int (*dot_word)(int first, int last, int n, const char* classes, char* text);
  int (*dot_jp_word)(int first, int last, const char* classes, char* text);
  void (*dan_weight)(char* key, int* weight);  // may fold the key to lower case
};
extern WordLookups Lookups;
// The readers of the word libraries, as Lookups holds them at start-up.
WordLookups LibraryLookups();

}  // namespace sentence
