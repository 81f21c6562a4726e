// Word lookups of the segmentation passes.
#pragma once

namespace sentence {

// Main word lookup of items first..last (n syllables, key from TakeChkp). For one syllable:
// the syllable's character (GetDan), flags 0x80, weight its certainty (GetDanPl). Returns 1
// with the text written into `text`, else 0.
int IsMyWord(int first, int last, const char* key, int n, char* text, int* weight,
             unsigned char* flags, int learned);

}  // namespace sentence
