// Characters for a key that is only an initial letter: the built-in list per letter and the
// context lists of py/danmodi.{inx,lib}, and the letter choice that merges them.
#pragma once

namespace sentence {

// danmodi.lib stores every byte XORed with this key.
inline constexpr unsigned char kDanmodiXorKey = 0x5A;
// Context lists are cut to this many characters.
inline constexpr int kContextListMax = 129;

// The built-in list of the key's first letter (output: 256 bytes); a key that does not start
// with a letter is copied. Returns its characters, at least 1.
int GetJJppDan(const char* key, char* output);
// The context list of a three-byte key (two bytes of context, then a letter); output 259 bytes.
// 1 with the list, 0 (output untouched) when there is none.
int gethead_interchr(const char* key, char* output);
// The record number of a context key, or -1.
int compute_danmodi_line(const char* key);
// The letter choice: context list of `prefix` (when given) merged with the letter list.
// Returns the characters written.
int GetJpDan(const char* prefix, const char* text, char* output);

}  // namespace sentence
