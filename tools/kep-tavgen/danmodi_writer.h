// The context lists of py/danmodi.{inx,lib}: for a letter typed after a character (or after a
// digit, a Latin letter or anything else), the characters of that letter that follow it best.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gb2312.h"
#include "sentenceparser/core/letter_lists.h"

namespace tavgen {

enum class ContextClass { Js = 0, Qt = 1, Sz = 2, Xw = 3 };

inline constexpr int kContextClasses = kGb2312HanziCount + 4;
inline constexpr int kDanmodiRecords = kContextClasses * 26;
inline constexpr std::size_t kDanmodiRecordBytes = 6;

// Record number: class x 26 + letter, the class being the class code's number or a GB2312
// character's sequence number + 3. -1 for a letter outside a..z (either case) or a character
// outside GB2312.
int danmodi_record(ContextClass context, char letter);
int danmodi_record(GbkChar context, char letter);

// A word of the word source: its characters, the first letter of each one's syllable, its weight.
struct ContextWord {
  std::vector<GbkChar> characters;
  std::string initials;
  std::uint64_t weight = 0;
};

// Per record, the characters best first (ties in GB2312 order), at most kContextListMax each.
// A character followed inside a word by another lists it under (character, initial of the
// other); the first character of every word is listed under "QT".
std::vector<std::vector<GbkChar>> build_danmodi_lists(const std::vector<ContextWord>& words);

struct DanmodiFiles {
  std::string index;    // kDanmodiRecords records of uint32 LE start, uint16 LE count
  std::string library;  // GBK characters, each byte XORed with the key
};

// `lists` holds one list per record (missing records at the end count as empty).
DanmodiFiles write_danmodi(const std::vector<std::vector<GbkChar>>& lists);

}  // namespace tavgen
