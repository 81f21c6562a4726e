// Width conversions and the clean-up of the request text before it is split into items.
#pragma once

namespace sentence {

// Correction mark; only the spelling parser sets it.
extern int MyCorrected;

// ASCII -> full-width GBK, two bytes per input byte. 1, or 0 (out untouched) for a text of 260
// bytes or more. `out` holds 2 x length + 1 bytes.
int Trans_Xwen_Qjen(const char* text, char* out);
// Full-width -> ASCII; other codes copied. 1, or 0 for a text of 260 bytes or more.
int Trans_Qjen_Xwen(const char* text, char* out);
unsigned short AsciiToGb(unsigned char c);
unsigned char GbToAscii(unsigned short code);

// In place; texts longer than 260 bytes are left alone.
void ClearSpace(char* text);
void ClearChar(char* text, char c);
void ClearXinhao(char* text);

}  // namespace sentence
