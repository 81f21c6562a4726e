// The two-character syllable form the correction files are keyed on: a syllable's first letter
// and one code character for the rest of it, and the keys built from runs of such syllables
// (all first letters, then all codes).
#pragma once

#include <cstddef>

namespace sentence {

// Longest rest a code expands to ("huang") plus its terminator; `tranym` needs this room.
inline constexpr std::size_t kSyllableRestRoom = 6;
// A run of at most 8 syllables: 16 key characters and the terminator.
inline constexpr int kCorrectionSyllablesMax = 8;
inline constexpr std::size_t kCorrectionKeySize = 2 * kCorrectionSyllablesMax + 1;
// At most 8 syllables of at most 6 letters joined by '+', and the terminator.
inline constexpr std::size_t kCorrectionSyllablesSize = 64;

// In place: direction 0 a rest ("hong", or 'A'..'R') becomes its code ("t"), direction 1 a code
// becomes its rest. Text not in the table stays as it was. `text` holds kSyllableRestRoom bytes
// for direction 1. 0 when the text was replaced, else non-zero.
int tranym(char* text, int direction);

// The key of a '+'-joined run of syllables ("zhong+guo" -> "zgt*") into `key`
// (kCorrectionKeySize bytes). False, with `key` empty, for an empty run, more than 8 syllables,
// a syllable over 15 letters or one whose rest has no code.
bool BuildCorrectionKey(const char* syllables, char* key);

// The '+'-joined syllables of a key ("zgt*" -> "zhong+guo") into `syllables`
// (kCorrectionSyllablesSize bytes). False, with `syllables` empty, for an odd or empty key, one
// over 16 characters or a code that stands for no rest.
bool CorrectionKeyToSyllables(const char* key, char* syllables);

}  // namespace sentence
