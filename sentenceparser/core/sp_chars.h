// Character tests over GBK byte strings shared by every pass of the sentence engine.
#pragma once

namespace sentence {

bool IsCharLower(int c);
bool IsCharUpper(int c);
bool IsWestChar(int c);
bool IsDigit(int c);
// The text (one letter) occurs among the ASCII letters / the 52 full-width GBK letters.
bool IsBJEN(const char* text);
bool IsQJEN(const char* text);
// First byte 0xA1..0xF7 and second byte above 0xA0.
bool IsGb(const char* text);
// The number 0..6762 of the GB2312 Chinese character in the first two bytes, else -1. The
// unassigned cells D7FA-D7FE and trail byte 0xFF are no characters.
int ComputeGbNo(const char* text);
bool CharIsHz(const char* text);
// 1 when every two-byte unit of the text is a GB2312 Chinese character (with `strict` 0 the
// circle "○" passes too); else 0.
int StringIsChinese(const char* text, int strict);

}  // namespace sentence
