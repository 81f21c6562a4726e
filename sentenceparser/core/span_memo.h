// The memo that keeps the spelling corrections from checking one span of conversion items twice
// in a parse: PyRc holds one 20-byte record per item, its syllable text and three 32-bit check
// masks (same-length corrections, re-segmentation, English words). Bits 5 to 31 of each mask
// mark spans of 2 to 7 items; bits 0 to 4 belong to the spelling front end.
#pragma once

#include <cstdint>

namespace sentence {

inline constexpr int kPyRcRecordSize = 20;
inline constexpr int kPyRcTextSize = 7;
inline constexpr int kPyRcMaskCount = 3;

// Clears every record (start-up, and before the syllables of a new stream are filled in).
void ClearPyRc();

// Check mask `mask` (0..2) of item `item`; 0 outside the table.
std::uint32_t PyRcMask(int item, int mask);

// The memo over items first..last. Types 0, 2, 4 mark the span in mask 0, 1, 2 of each of its
// items and give 0; types 1, 3, 5 give 1 when an item of the span carries the span's mark in
// mask 0, 1, 2. A span of one item, of more than 7 items, or outside the table is never marked
// and tests 0; so does any other type.
int IfChkedPyRc(int first, int last, int type);

}  // namespace sentence
