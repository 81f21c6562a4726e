// The byte substitution of the converter's table files. Every byte from 0x30 up is replaced by
// another byte from 0x30 up; bytes below 0x30 (line ends, blank, '!', '#') stay as they are, so
// lines and comments survive. The table files are written and read with this one table.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace converter {

namespace scramble_detail {

constexpr unsigned kFirst = 0x30;
constexpr unsigned kCount = 0x100 - kFirst;  // 208 substituted byte values
// 71 shares no factor with 208 = 2^4 * 13, so multiplying by it permutes 0..207.
constexpr unsigned kFactor = 71;
constexpr unsigned kOffset = 93;

constexpr std::array<std::uint8_t, 256> make_forward() {
  std::array<std::uint8_t, 256> table{};
  for (unsigned b = 0; b < 256; ++b) {
    table[b] = static_cast<std::uint8_t>(
        b < kFirst ? b : kFirst + ((b - kFirst) * kFactor + kOffset) % kCount);
  }
  return table;
}

constexpr std::array<std::uint8_t, 256> make_inverse(const std::array<std::uint8_t, 256>& forward) {
  std::array<std::uint8_t, 256> table{};
  for (unsigned b = 0; b < 256; ++b) table[forward[b]] = static_cast<std::uint8_t>(b);
  return table;
}

}  // namespace scramble_detail

inline constexpr std::array<std::uint8_t, 256> kScramble = scramble_detail::make_forward();
inline constexpr std::array<std::uint8_t, 256> kUnscramble = scramble_detail::make_inverse(kScramble);

inline std::string scramble(std::string_view plain) {
  std::string out(plain);
  for (char& c : out) c = static_cast<char>(kScramble[static_cast<unsigned char>(c)]);
  return out;
}

inline std::string unscramble(std::string_view stored) {
  std::string out(stored);
  for (char& c : out) c = static_cast<char>(kUnscramble[static_cast<unsigned char>(c)]);
  return out;
}

}  // namespace converter
