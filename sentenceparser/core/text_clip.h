// Clipping: a piece of GBK text cut into units joined by '_'. Runs of Chinese characters are cut
// into words (hanzi_runs.h), runs of digits and Latin letters or of blanks stay together, every
// other punctuation character is a unit of its own. The learned-word loader clips every stored
// word before it asks for its pinyin, so that the polyphone libraries see whole words.
//
// The unit list and the pending characters are module state: clipping is not re-entrant.
#pragma once

#include <cstddef>

namespace sentence {

// Output of a clip never exceeds this, NUL included: at most kClipTextMax bytes of text and one
// '_' between units.
inline constexpr std::size_t kHzClipOutputSize = 1024;

// One unit; 16 bytes with 64-bit pointers.
struct HzNcmUnit {
  unsigned char type;     // bits 2-7: the character class
  unsigned char part;     // bits 4-5: 0 whole word, 3 first, 2 middle, 1 last piece of a run
  unsigned char length;   // the text length, low 8 bits
  unsigned char spare[5];
  char* text;             // the unit's own NUL-terminated copy
};
static_assert(sizeof(HzNcmUnit) == 8 + sizeof(char*), "units are 16-byte entries");

extern HzNcmUnit* HZNCM_Handle;
extern int Current_HzNcm_Item;

inline int unit_class(const HzNcmUnit& unit) { return unit.type >> 2; }
inline int unit_part(const HzNcmUnit& unit) { return (unit.part >> 4) & 3; }

// Clips text into out ('_'-joined units). 1, or 0 with out untouched when the text is too short
// (first byte with the high bit set: under 4 bytes; else under 2), holds no item, the unit list
// cannot be made or the result does not fit `out_size` bytes (kHzClipOutputSize always does).
int HzClip(const char* text, char* out, std::size_t out_size);
// `out` holds kHzClipOutputSize bytes.
int HzClip(const char* text, char* out);

// Copies text, stopping before the byte count would reach kClipTextMax + 1, never inside a
// double-byte character; `out` holds kClipTextMax + 1 bytes. Returns the length.
int IfMore(const char* text, char* out);
// Drops CR and 0x8D bytes, except one between two Latin letters (or after a letter and before a
// line feed), which becomes byte 127 to keep the words apart. Reads at most kClipTextMax bytes;
// `out` holds kClipTextMax + 1 bytes and `positions` (may be null) kClipTextMax entries: for
// every output character the 1-based number of its source character. Returns the output
// character count.
int FiltCheckString(const char* text, char* out, int* positions);

// Builds the unit list of text; the item count, or 0 when there is no item or no list.
int GetHZNCM(const char* text);
// Appends a unit holding a copy of text; false when the list is full or memory runs out.
bool MakeHZNCM(const char* text, int type, int part);
// The units' texts joined by '_' into out; the length, or -1 (out emptied) when they do not fit
// `out_size` bytes.
int TakeOut(char* out, std::size_t out_size);
void FreeHZNCM();

}  // namespace sentence
