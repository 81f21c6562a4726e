// The status dictionary the candidate window's status bar shows: five booleans.
#pragma once

#include "platform/plist.h"

namespace imkkep {

inline constexpr const char* kStatusFullWidthPunct = "FULL_WIDTH_PUNCT";
inline constexpr const char* kStatusFullWidthRoman = "FULL_WIDTH_ROMAN";
inline constexpr const char* kStatusEnglish = "ENGLISH";
inline constexpr const char* kStatusPinyin = "PINYIN";
inline constexpr const char* kStatusTraditional = "TRADITIONAL";

// Read from the input menu's check marks, the record of what the user sees; PINYIN is false
// only in double pinyin.
platform::plist::Dictionary KEPGetStatus();

}  // namespace imkkep
