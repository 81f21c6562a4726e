// Text back to pinyin: the characters of a committed text, '_'-separated, get their readings.
// Polyphone characters are read from the longest surrounding run found in the polyphone word
// libraries before they fall back to their most common reading.
#pragma once

#include <cstddef>

namespace sentence {

inline constexpr int kFillItemsMax = 256;
inline constexpr std::size_t kFillPinyinBytes = 50;
inline constexpr std::size_t kFillTextBytes = 80;
inline constexpr std::size_t kFillWindowBytes = 512;

// One item of the work table, cleared at the start of every fill.
struct FillItem {
  char pinyin[kFillPinyinBytes];
  char text[kFillTextBytes];
  unsigned char flags;  // kFillKnown once the item has its pinyin
};
inline constexpr unsigned char kFillKnown = 0x01;

extern FillItem FPitem[kFillItemsMax];

// Writes the pinyin of the '_'-separated GBK items of `text` into `out` (`out_size` bytes, at
// least 1), joined by '-'; items without a reading are written as they are. The items are cut
// at kFillItemsMax, an item at kFillTextBytes - 1 bytes (the rest of the input is then
// ignored), and the output before the first item that would not fit. An empty `out` means
// nothing was produced.
void FillPy(const char* text, char* out, std::size_t out_size);

}  // namespace sentence
