// The word libraries' layouts, shared by their writer (the generator) and their readers: file
// names, record widths and the escape of stored bytes. Header-only, so the generator needs
// nothing else of the core.
#pragma once

#include <string>

namespace sentence {

// Record widths: main library (N = 2..7), whole-sentence library (N = 2..7), head-and-end
// library (N = 2..6); 0 for another N.
constexpr int main_record_width(int n) {
  constexpr int kWidths[] = {7, 9, 11, 14, 17, 20};
  return n >= 2 && n <= 7 ? kWidths[n - 2] : 0;
}
constexpr int whole_record_width(int n) {
  constexpr int kWidths[] = {5, 6, 9, 12, 15, 18};
  return n >= 2 && n <= 7 ? kWidths[n - 2] : 0;
}
constexpr int head_end_record_width(int n) {
  constexpr int kWidths[] = {11, 12, 15, 18, 21};
  return n >= 2 && n <= 6 ? kWidths[n - 2] : 0;
}

inline constexpr int kIndexRecordSize = 6;  // uint32 first record, uint16 count (LE)

// Library file names relative to the data path, lower case on disk.
inline std::string main_library_name(int n, const char* extension) {
  return "main/mgrm" + std::to_string(n - 2) + extension;
}
inline constexpr const char* kMainAbbreviationIndex = "main/mgrm0j.inx";
inline std::string whole_library_name(int n, const char* extension) {
  return "mpp/w" + std::to_string(n) + extension;
}
inline std::string head_end_library_name(int n, const char* extension) {
  return "mpp/j10" + std::to_string(n) + extension;
}

// A stored byte reads back as its value, except six escapes that stand for the bytes a record
// cannot hold (0) or that line-oriented tools would trip on.
constexpr int stored_byte_value(int stored) {
  switch (stored) {
    case 127: return 0;
    case 126: return 10;
    case 125: return 13;
    case 124: return 26;
    case 123: return 32;
    case 122: return 9;
    default: return stored;
  }
}
// The byte that stores `value`; -1 for a value that has no stored form (122..127, or outside
// 0..255).
constexpr int stored_byte_of(int value) {
  switch (value) {
    case 0: return 127;
    case 10: return 126;
    case 13: return 125;
    case 26: return 124;
    case 32: return 123;
    case 9: return 122;
    default: return value > 0 && value < 122 ? value : -1;
  }
}
// Largest value a stored byte can carry directly (positions and weights stay below 122).
inline constexpr int kStoredValueMax = 121;

}  // namespace sentence
