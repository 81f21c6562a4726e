// Word lookups of the segmentation passes. `key` is the word key of TakeChkp; `text` holds the
// fixed-character text on entry (two bytes per item, "AA" for an item without a Chinese
// character, "iA" for a digit) and the word on success; it holds kWordTextSize bytes.
#pragma once

namespace sentence {

// Main library, N = 1..7 (N = 1: the syllable's character, weight its certainty). 1 with text,
// weight and flags (the word's division byte), else 0. `learned` asks the learned words first.
int IsMyWord(int first, int last, const char* key, int n, char* text, int* weight,
             unsigned char* flags, int learned);
// Whole-sentence library, N = 2..7. 1 with the text, else 0.
int IsWholeWord(int first, int last, const char* key, int n, char* text);
// Head-and-end library, N = 2..6: only words that begin or end the input.
int IsHeadEndWord(int first, int last, const char* key, int n, char* text, int* weight,
                  unsigned char* flags);

// Abbreviation lookup: `key` is N initials (either case); 1 with the best word and its weight.
int IsJpWord(const char* key, int n, char* text, int* weight);

// Context words: the `n` (1 or 2) items first..last between two fixed items whose classes are
// the two bytes of `classes`. 1 with the word, else 0.
int IsDotWord(int first, int last, int n, const char* classes, char* text);
// The same for two abbreviated items.
int IsDotJPWord(int first, int last, const char* classes, char* text);

}  // namespace sentence
