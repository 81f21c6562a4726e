// Fuzzy pinyin for the single-character queries: a typed syllable expands into the syllables
// it also stands for under the enabled fuzzy pairs (z/zh, an/ang, l/n, ...), each of which is
// then looked up in the pinyin tables.
#pragma once

#include <cstddef>

inline constexpr int IME_EQUAL_PY_SLOTS = 16;
inline constexpr int IME_EQUAL_PY_BYTES = 7;  // six letters and the NUL

// The variants of the last expansion; slot 0 is the typed syllable.
extern char ime_equal_py[IME_EQUAL_PY_SLOTS][IME_EQUAL_PY_BYTES];

// Expands `length` letters of `syllable` into ime_equal_py and stores the number of variants in
// `*count` (at least 1 for a syllable of 1-6 letters, 0 for anything else). Without fuzzy
// pinyin (ime_fuzzy_mode) or before the engine is valid, only the syllable itself. Otherwise,
// in order:
//   1. initial pairs k/g, f/h, l/n, l/r on the typed syllable (a one-letter input stops here);
//   2. z, c, s gain an "h", zh, ch, sh lose it (an input of just zh, ch or sh stops here);
//   3. final pairs an/ang, in/ing, en/eng, ian/iang, uan/uang on every variant so far.
// Variants longer than six letters and repeats are left out. 0.
int ime_get_equal_py(const char* syllable, std::size_t length, int* count);
