// Layouts of the libraries that turn text back into pinyin and cut runs of characters into
// words, shared by their writer (the generator) and their readers. Header-only.
//
// - main/mdan.mpy: one 6-byte record per GB2312 hanzi in code order (record n - 1 for hanzi
//   number n, 1..6763): the character's most common reading, padded with '0', stored through
//   the line substitution (encodeline).
// - tools/dyc{n} and tools/dyz{n} (n = 2..7 characters; .inx and .lib): words with their
//   readings, keyed by the first character's 0-based GB2312 number (0..6762). dyc holds every
//   word; dyz only the words holding a character of kPolyphoneCharacters. Records of 4n - 2
//   bytes: the word without its first character (GBK), then two bytes per syllable (first
//   letter and rest code, "a"/"e"/"o" as "aP"/"eQ"/"oR"); each record stored through the line
//   substitution, sorted within a group by the plain key bytes.
//   Index entries: dyc 6 bytes (uint32 first record, uint16 count), dyz 8 bytes (uint32 first
//   record, uint32 count), little-endian; every reader uses the width of its own library.
// - cz/weight.dat: 5 bytes per GB2312 hanzi at 5 x its 0-based number: how strongly the
//   character is the 1st / 2nd character of two-character words, then the 1st / 2nd / 3rd of
//   three-character words (0..255).
// - cz/qy{n} (n = 3..6; .inx and .lib): runs that are no word of the cz libraries, with where
//   to cut them. Hanzi-keyed index of 4-byte entries (uint16 first record, uint16 count), one per
//   GB2312 hanzi (6763), groups only for first characters 0..3754 (GB2312's first level).
//   Records of 2n bytes: the run without its first character (2n - 2 bytes, under the high-byte
//   record substitution), then the split code as uint16 little-endian within the record. The code's decimal digits
//   (thousands and up, hundreds, tens, units) each name a 0-based character position before
//   which the run is cut; position 0 is never cut.
#pragma once

#include <cstddef>
#include <string>

namespace sentence {

inline constexpr const char* kCharacterReadingsName = "main/mdan.mpy";
inline constexpr std::size_t kCharacterReadingBytes = 6;

inline constexpr int kReadingWordMin = 2;
inline constexpr int kReadingWordMax = 7;

constexpr std::size_t reading_record_width(int n) {
  return n >= kReadingWordMin && n <= kReadingWordMax ? static_cast<std::size_t>(4 * n - 2) : 0;
}
inline constexpr std::size_t kDycIndexEntryBytes = 6;
inline constexpr std::size_t kDyzIndexEntryBytes = 8;

// `polyphones` chooses dyz; extension ".inx" or ".lib".
inline std::string reading_library_name(bool polyphones, int n, const char* extension) {
  return std::string(polyphones ? "tools/dyz" : "tools/dyc") + std::to_string(n) + extension;
}

inline constexpr const char* kPositionWeightsName = "cz/weight.dat";
inline constexpr std::size_t kPositionWeightBytes = 5;

inline constexpr int kSplitRunMin = 3;
inline constexpr int kSplitRunMax = 6;
inline constexpr int kSplitFirstLevelMax = 3754;  // last number with a group
constexpr std::size_t split_record_width(int n) {
  return n >= kSplitRunMin && n <= kSplitRunMax ? static_cast<std::size_t>(2 * n) : 0;
}
inline std::string split_library_name(int n, const char* extension) {
  return "cz/qy" + std::to_string(n) + extension;
}

// The characters read more than one way in common use, GBK, comma-separated. A window holding
// one of them is read from the polyphone word libraries.
inline constexpr const char kPolyphoneCharacters[] =
    "\xB0\xA2,\xB0\xAC,\xB0\xBC,\xB0\xC7,\xB0\xD2,\xB0\xD8,\xB0\xF2,\xB0\xF5,\xB1\xA1,\xB1\xB3,"
    "\xB1\xE3,\xB1\xF0,\xB2\xCE,\xB2\xD8,\xD4\xF8,\xB2\xEE,\xB3\xA4,\xB3\xAF,\xB3\xC6,\xB3\xCB,"
    "\xD6\xD8,\xB4\xA6,\xB4\xAB,\xB4\xF3,\xB5\xA5,\xB5\xB1,\xB5\xC3,\xB5\xD8,\xB5\xC4,\xB5\xF7,"
    "\xB6\xBC,\xB6\xC8,\xB7\xA2,\xB7\xD6,\xB8\xC9,\xB8\xFC,\xBB\xB9,\xBA\xC5,\xBA\xCD,\xBA\xE1,"
    "\xBB\xAE,\xBB\xE1,\xCF\xB5,\xBC\xD0,\xBC\xD9,\xBC\xE4,\xBD\xAB,\xBD\xB5,\xBD\xC7,\xBD\xCC,"
    "\xBD\xE1,\xBD\xE2,\xBF\xA8,\xBF\xB4,\xBF\xD5,\xC0\xD6,\xC1\xCB,\xC0\xDB,\xC1\xBF,\xC2\xB6,"
    "\xC2\xCA,\xC2\xE4,\xC3\xBB,\xC4\xD1,\xC4\xFE,\xC6\xAC,\xC6\xAF,\xC6\xCC,\xC7\xBF,\xC7\xFA,"
    "\xC8\xFB,\xC9\xA2,\xC9\xAB,\xC9\xB3,\xC9\xCF,\xC9\xD9,\xC9\xE1,\xCA\xA1,\xCA\xB6,\xCA\xFD,"
    "\xCB\xB5,\xCB\xC6,\xB5\xAF,\xCC\xE5,\xCE\xAA,\xCF\xE0,\xD0\xCB,\xD0\xD0,\xD1\xAA,\xD1\xB9,"
    "\xD2\xAA,\xD3\xA6,\xD3\xEB,\xD4\xD8,\xD4\xFA,\xD7\xC5,\xD6\xD0,\xD6\xD6,\xD7\xAA,\xD7\xD0,"
    "\xDE\xD6,\xE3\xAE,\xEC\xCC,\xEE\xE4";
inline constexpr int kPolyphoneCount = 104;

// Whether the two bytes at `character` are one of kPolyphoneCharacters.
inline bool is_polyphone_character(const char* character) {
  for (const char* p = kPolyphoneCharacters; p[0] != '\0' && p[1] != '\0'; p += 3) {
    if (p[0] == character[0] && p[1] == character[1]) return true;
    if (p[2] == '\0') break;
  }
  return false;
}

}  // namespace sentence
