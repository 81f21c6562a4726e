// Layout of a cell dictionary (.scel). Little-endian throughout, texts UTF-16LE; the one
// exception is a word's frequency, a single-precision float stored most significant byte first.
//
// Header (0x1540 bytes):
//   0x0000 u32 size (not checked)      0x0004 u32 magic      0x0008 u32 format version (1)
//   0x000C 4 x u32 checksum words      0x001C 32 units uid   0x005C 192 bytes reserved
//   0x011C i32 version (Unix time)     0x0120 u32 pinyin-group count
//   0x0124 u32 word count              0x0128 u32, 0x012C u32 totals
//   0x0130 260 units name              0x0338 260 units type
//   0x0540 1024 units remark           0x0D40 1024 units samples ("\r " between them)
// A text ends at the first zero unit that another zero unit follows; without such a pair it
// fills its field.
//
// Body:
//   u32 N, then N pinyin-table entries: i16 syllable index, u16 byte length, the syllable;
//   word groups until the word count is reached: u16 words G, u16 byte length B, B/2 i16
//   syllable indexes, then G words: u16 byte length L, L bytes of text, u16, u32, u16 (unused),
//   4-byte big-endian float frequency.
#pragma once

#include <cstddef>
#include <cstdint>

namespace scel {

inline constexpr std::uint32_t kMagic = 0x01534344;  // bytes 44 43 53 01
inline constexpr std::uint32_t kFormatVersion = 1;

inline constexpr std::size_t kSizeOffset = 0x0000;
inline constexpr std::size_t kMagicOffset = 0x0004;
inline constexpr std::size_t kFormatVersionOffset = 0x0008;
inline constexpr std::size_t kChecksumOffset = 0x000C;
inline constexpr std::size_t kUidOffset = 0x001C;
inline constexpr std::size_t kUidBytes = 64;
inline constexpr std::size_t kVersionOffset = 0x011C;
inline constexpr std::size_t kPinyinGroupCountOffset = 0x0120;
inline constexpr std::size_t kWordCountOffset = 0x0124;
inline constexpr std::size_t kPinyinTotalOffset = 0x0128;
inline constexpr std::size_t kWordTotalOffset = 0x012C;
inline constexpr std::size_t kNameOffset = 0x0130;
inline constexpr std::size_t kNameBytes = 520;
inline constexpr std::size_t kTypeOffset = 0x0338;
inline constexpr std::size_t kTypeBytes = 520;
inline constexpr std::size_t kRemarkOffset = 0x0540;
inline constexpr std::size_t kRemarkBytes = 2048;
inline constexpr std::size_t kSamplesOffset = 0x0D40;
inline constexpr std::size_t kSamplesBytes = 2048;
inline constexpr std::size_t kHeaderBytes = 0x1540;

// Between two samples in the samples text.
inline constexpr char kSampleSeparator[] = "\r ";

// Bounds of the body's variable parts: a longer pinyin-table entry or word, or a longer
// syllable list, makes the file unreadable rather than overrunning a buffer.
inline constexpr std::size_t kMaxEntryBytes = 4096;
inline constexpr std::size_t kMaxSyllableListBytes = 512;
inline constexpr std::size_t kMaxSyllableLetters = 6;

// The fewest bytes each part can take, to check counts against what is left of the file.
inline constexpr std::size_t kPinyinEntryHeadBytes = 4;  // index, length
inline constexpr std::size_t kGroupHeadBytes = 4;        // words, syllable-list length
inline constexpr std::size_t kWordTailBytes = 2 + 4 + 2 + 4;  // unused fields, frequency
inline constexpr std::size_t kMinWordBytes = 2 + kWordTailBytes;  // length, no text

}  // namespace scel
