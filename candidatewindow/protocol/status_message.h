// Message 113 and the STATUS dictionary of message 100: the states of the status bar's buttons.
#pragma once

#include <optional>
#include <string_view>

#include "platform/plist.h"

namespace kepcandidate {

struct StatusFlags {
  std::optional<bool> fullWidthPunct;  // FULL_WIDTH_PUNCT, button "biaodian"
  std::optional<bool> english;         // ENGLISH, "cn_en"
  std::optional<bool> traditional;     // TRADITIONAL, "fan_jian"
  std::optional<bool> fullWidthRoman;  // FULL_WIDTH_ROMAN, "quan_ban"
  std::optional<bool> pinyin;          // PINYIN, "quan_shuang"
  bool operator==(const StatusFlags&) const = default;
};

StatusFlags readStatusFlags(const platform::plist::Dictionary& status);

// The STATUS dictionary of a 113 payload, empty when absent or not a dictionary; nullopt when
// the payload is not a property-list dictionary.
std::optional<platform::plist::Dictionary> readStatusMessage(std::string_view payload);

}  // namespace kepcandidate
