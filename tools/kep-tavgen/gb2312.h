// GB2312 Chinese characters as 16-bit GBK codes (lead byte high), the only characters the
// sentence service's tables and word libraries hold.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tavgen {

using GbkChar = std::uint16_t;

inline constexpr int kGb2312HanziCount = 6763;

// Whether the code is a GB2312 Chinese character: lead 0xB0..0xF7, trail 0xA1..0xFE, without
// the five empty cells that end the first level (0xD7FA..0xD7FE).
bool is_gb2312_hanzi(GbkChar code);

// 1..6763 in GB2312 order, or 0 for any other code.
int gb2312_sequence(GbkChar code);

// The GB2312 Chinese character of one UTF-8 character, or nullopt.
std::optional<GbkChar> gb2312_of_utf8(std::string_view utf8_character);

// Every character of a UTF-8 text as GB2312 Chinese characters; nullopt when one is not.
std::optional<std::vector<GbkChar>> gb2312_text(std::string_view utf8);

// gb2312_of_utf8 that converts each distinct character once: word lists repeat a few thousand.
class Gb2312Cache {
 public:
  std::optional<GbkChar> operator()(const std::string& utf8) {
    auto [at, added] = codes_.try_emplace(utf8, std::nullopt);
    if (added) at->second = gb2312_of_utf8(utf8);
    return at->second;
  }
  // gb2312_text through the cache.
  std::optional<std::vector<GbkChar>> text(std::string_view utf8);

 private:
  std::unordered_map<std::string, std::optional<GbkChar>> codes_;
};

// Appends the two bytes of a code, lead byte first.
void append_gbk(GbkChar code, std::string* out);
std::string gbk_bytes(const std::vector<GbkChar>& codes);

}  // namespace tavgen
