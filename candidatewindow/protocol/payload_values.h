// Reading the values of the window messages' dictionaries the way both sides agree on: integers
// as signed 32-bit values, colours as six hexadecimal digits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/plist.h"

namespace kepcandidate {

// The payload's dictionary; nullopt when the bytes are no property list or hold no dictionary.
std::optional<platform::plist::Dictionary> parsePayload(std::string_view payload);

// An integer key as a signed 32-bit value (wider values keep their low 32 bits); nullopt when
// absent or not a number.
std::optional<std::int32_t> readInt32(const platform::plist::Dictionary& dictionary,
                                      std::string_view key);
std::optional<bool> readBool(const platform::plist::Dictionary& dictionary, std::string_view key);
std::optional<std::string> readString(const platform::plist::Dictionary& dictionary,
                                      std::string_view key);

struct RgbColour {
  double red = 0;
  double green = 0;
  double blue = 0;
  bool operator==(const RgbColour&) const = default;
};

// "rrggbb" (only the first six characters count), each pair divided by 255; nullopt when those
// six are not all hexadecimal digits.
std::optional<RgbColour> KEPSGetRGBColor(std::string_view text);

}  // namespace kepcandidate
