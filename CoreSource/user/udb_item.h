// One user phrase as the user phrase database keeps it in memory.
#pragma once

#include <cstdint>

// Phrases have 2 to 30 syllables; texts 4 to 3 bytes a syllable (UTF-8).
inline constexpr int IME_UDB_MIN_SYLLABLES = 2;
inline constexpr int IME_UDB_MAX_SYLLABLES = 30;
inline constexpr int IME_UDB_MIN_TEXT = 4;
inline constexpr int IME_UDB_TEXT_PER_SYLLABLE = 3;
// A tone mask that matches every tone: stored for a syllable whose tone is not known.
inline constexpr std::uint8_t IME_UDB_ANY_TONE = 15;
// Frequency a new phrase starts its count with.
inline constexpr std::uint32_t IME_UDB_NEW_COUNT = 30000;

struct UDBItem {
  char initials[32];  // first letter of each syllable (z, c, s for zh, ch, sh), NUL-terminated
  char finals[32];    // final code of each syllable, NUL-terminated
  char text[128];     // UTF-8, NUL-terminated
  char text2[128];    // traditional form, UTF-8, NUL-terminated
  std::uint8_t tones[32];  // tone mask of each syllable (1, 2, 4, 8 for tones 1-4; 0 or 15: unknown)
  std::uint8_t text_length;
  std::uint8_t text2_length;
  std::uint8_t syllables;
  std::uint32_t freq;  // class in bits 24-30, count in bits 0-23; bit 31 clear
  std::uint8_t used;   // use count
  std::int64_t time;   // last use, seconds since 1970; 0 not yet known

  // What udb.lib held for this phrase when it was last read or written. Values that differ
  // were changed by this process since, and win over the file's when the two are merged.
  bool in_file;
  std::uint32_t file_freq;
  std::uint8_t file_used;
  std::int64_t file_time;
};
