// Character items and their classes, as the clipping of text into units sees them. An item is
// one character in two bytes: a GBK character as its lead and trail byte, any other byte b as
// {0, b}. As a 16-bit value the first byte is the low byte.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sentence {

using Dbch = std::uint16_t;

// Clipping looks at no more than this many bytes of a text.
inline constexpr std::size_t kClipTextMax = 511;
// Items of one clip, the closing {0, 0} included.
inline constexpr std::size_t kDbchItemsMax = kClipTextMax + 1;

// The sentence delimiters; membership is a substring search of the one- or two-byte character.
extern const char DotChr[];

// Classes of single bytes and of GBK characters (see TypeOfDbch).
enum DbchClass : int {
  kClassHanzi = 1,
  kClassWestern = 2,     // ASCII digits and letters, '-', '.', '%'
  kClassBlank = 10,      // every byte of 32 or less
  kClassBreak = 18,      // byte 127: a line break between two words
  kClassWideDigit = 22,
  kClassWideLetter = 23,
  kClassWideSpace = 49,
  kClassOther = 58,
};

constexpr unsigned char dbch_first(Dbch item) { return static_cast<unsigned char>(item & 0xFF); }
constexpr unsigned char dbch_second(Dbch item) { return static_cast<unsigned char>(item >> 8); }
constexpr Dbch make_dbch(unsigned char first, unsigned char second) {
  return static_cast<Dbch>(first | (second << 8));
}

// Fills `items` (kDbchItemsMax entries) from at most the first kClipTextMax bytes of text and
// closes it with {0, 0}. Bytes of 32 or less become blanks; a high byte without a high trail
// byte is an item of its own. Returns the item count.
int CharToDbch(const char* text, Dbch* items);
int TypeOfDbch(Dbch item);
// Classes whose consecutive items form one unit.
bool IsRunClass(int type);
// The item's text (one or two bytes) into `out` (3 bytes); returns its length.
int DbchText(Dbch item, char* out);

}  // namespace sentence
