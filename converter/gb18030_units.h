// Walking GB18030 text one character at a time: one byte for ASCII, two bytes for the GBK
// range, four bytes for everything else (rarer hanzi, and characters outside the BMP).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace converter {

enum class UnitKind {
  Single,     // one ASCII byte
  Double,     // a two-byte character
  Quad,       // a four-byte character
  Truncated,  // a character cut off by the end of the text
  Invalid,    // a byte that cannot start a character here
};

struct Unit {
  UnitKind kind;
  std::size_t length;  // bytes the unit takes; 1 for Truncated and Invalid
};

inline bool in_range(unsigned char byte, unsigned char low, unsigned char high) {
  return byte >= low && byte <= high;
}

// The character that starts at `at` (which must be inside `text`).
inline Unit next_unit(std::string_view text, std::size_t at) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const std::size_t left = text.size() - at;
  const unsigned char lead = byte(0);
  if (lead < 0x80) return {UnitKind::Single, 1};
  if (!in_range(lead, 0x81, 0xFE)) return {UnitKind::Invalid, 1};
  if (left < 2) return {UnitKind::Truncated, 1};
  const unsigned char second = byte(1);
  if (in_range(second, 0x30, 0x39)) {
    if (left < 4) return {UnitKind::Truncated, 1};
    if (in_range(byte(2), 0x81, 0xFE) && in_range(byte(3), 0x30, 0x39)) return {UnitKind::Quad, 4};
    return {UnitKind::Invalid, 1};
  }
  if (in_range(second, 0x40, 0x7E) || in_range(second, 0x80, 0xFE)) return {UnitKind::Double, 2};
  return {UnitKind::Invalid, 1};
}

inline bool is_character(const Unit& unit) {
  return unit.kind == UnitKind::Single || unit.kind == UnitKind::Double ||
         unit.kind == UnitKind::Quad;
}

// A multi-byte character's bytes packed into one number (big-endian), the key of the tables.
// Two-byte codes stay below 0x10000 and four-byte codes above 0x81000000, so they never meet.
inline std::uint32_t unit_code(std::string_view text, std::size_t at, std::size_t length) {
  std::uint32_t code = 0;
  for (std::size_t i = 0; i < length; ++i) code = (code << 8) | static_cast<unsigned char>(text[at + i]);
  return code;
}

// True when `text` is exactly one two- or four-byte character.
inline bool is_one_multibyte_character(std::string_view text) {
  if (text.empty()) return false;
  Unit unit = next_unit(text, 0);
  return (unit.kind == UnitKind::Double || unit.kind == UnitKind::Quad) &&
         unit.length == text.size();
}

// True when `text` splits into whole characters only.
inline bool is_whole_characters(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    Unit unit = next_unit(text, at);
    if (!is_character(unit)) return false;
    at += unit.length;
  }
  return true;
}

}  // namespace converter
