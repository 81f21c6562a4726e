// How sure a syllable's default character is, in percent: read by the word search when it
// weighs a syllable that no word covers.
#pragma once

namespace sentence {

// key: a two-byte syllable code (initial + final code letter) or an upper-case letter. Writes
// the certainty into `result`, or 0 when the key has none. The key is not changed.
void GetDanPl(const char* key, int* result);

}  // namespace sentence
