// The reading of one GB2312 Chinese character, as the items of a request need it.
#pragma once

namespace sentence {

// Writes the syllable (at most 6 letters) of the character in the first two bytes of
// `character` and returns 1; 0 for any other two-byte unit. `out` holds 7 bytes.
int GetHzPy(const char* character, char* out);

}  // namespace sentence
