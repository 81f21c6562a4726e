// The status dictionary the candidate window's status bar shows: five booleans.
#pragma once

#include "platform/plist.h"

namespace imkkep {

inline constexpr const char* kStatusFullWidthPunct = "FULL_WIDTH_PUNCT";
inline constexpr const char* kStatusFullWidthRoman = "FULL_WIDTH_ROMAN";
inline constexpr const char* kStatusEnglish = "ENGLISH";
inline constexpr const char* kStatusPinyin = "PINYIN";
inline constexpr const char* kStatusTraditional = "TRADITIONAL";

// Read from the active controller's conversation (the engine's current one) (all modes off without one); PINYIN is false
// only in double pinyin.
platform::plist::Dictionary KEPGetStatus();

}  // namespace imkkep
