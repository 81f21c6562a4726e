// How sure a syllable's default character is, in percent: read by the word search when it
// weighs a syllable that no word covers.
#pragma once

namespace sentence {

// key: a two-byte syllable code (initial + final code letter) or an upper-case letter. Writes
// the certainty into `result` only when the key has one, so the caller's value stands as the
// default. A key starting with an upper-case letter is folded to lower case in place.
void GetDanPl(char* key, int* result);

}  // namespace sentence
