// Syllable numbers 0..432 (the row of the single-character table, the word-cache slot) and the
// base-26 numbers of key prefixes.
#pragma once

namespace sentence {

inline constexpr int kSyllableCount = 433;

// The number of an exact syllable text ("aP", "ai", ... "zu"), or -1.
int getpyno(const char* text);
// The syllable text of a number, or nullptr.
const char* pyno_text(int number);

// 0 when the text is shorter than 2 bytes; with `any` set 1; otherwise the GB2312 character
// number (1..6763) of the first two bytes, or 0.
int ChrIsChinese(const char* text, int any);

// Base-26 numbers of the first two / three letters, lower-cased; -1 when one is no letter.
int GetPy2No(const char* text);
int GetPy3No(const char* text);
// Base-26 number of the first four bytes, unchecked (callers compare it unsigned).
int GetPy4No(const char* text);

// With `flag` set, "a"/"e"/"o" become "aP"/"eQ"/"oR" in place (the text holds 3 bytes); with
// it clear, "aP"/"eQ"/"oR" become "a"/"e"/"o". Other texts stay.
void dan_to_shuang(char* text, int flag);

}  // namespace sentence
