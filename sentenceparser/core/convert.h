// The convert entry: a pinyin stream ("_" between syllables) becomes the item table and, through
// the single-character choice or the segmentation driver, a GBK sentence.
#pragma once

namespace sentence {

inline constexpr int kConvertOk = 10000;
inline constexpr int kConvertNothing = 10001;
// Returned when the input would make more items than the table holds.
inline constexpr int kConvertTooManyItems = -2;

// `input` is writable and NUL-terminated; `output` holds at least 1024 bytes, empty on entry.
int ConvertStream(char* input, char* output, signed char mode);
int sendpy(const char* input, const char* preset);
void resetpy();
int IsPy(const char* syllable, int strict);

}  // namespace sentence
