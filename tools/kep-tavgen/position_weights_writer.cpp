#include "position_weights_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

#include "gb2312.h"
#include "sentenceparser/core/reading_library_layout.h"

namespace tavgen {

namespace {

// The place columns of a word of `n` characters begin at this byte of a hanzi's record.
constexpr std::size_t first_place_column(std::size_t n) { return n == 2 ? 0 : 2; }

}  // namespace

std::string write_position_weights(const std::vector<datasources::RimeEntry>& vocabulary, Gb2312Cache& gb2312) {
  std::unordered_map<std::string, std::uint64_t> words;  // by GBK bytes
  for (const datasources::RimeEntry& entry : vocabulary) {
    // Every GB2312 hanzi is three bytes of UTF-8: other lengths need no conversion.
    if (entry.text.size() != 6 && entry.text.size() != 9) continue;
    std::optional<std::vector<GbkChar>> characters = gb2312.text(entry.text);
    if (!characters || (characters->size() != 2 && characters->size() != 3)) continue;
    std::uint64_t& weight = words[gbk_bytes(*characters)];
    weight = std::max<std::uint64_t>(weight, std::uint64_t{entry.weight} + 1);
  }

  constexpr std::size_t width = sentence::kPositionWeightBytes;
  std::vector<std::uint64_t> sums(kGb2312HanziCount * width, 0);
  for (const auto& [bytes, weight] : words) {
    const std::size_t n = bytes.size() / 2;
    for (std::size_t place = 0; place < n; ++place) {
      const GbkChar character = static_cast<GbkChar>((static_cast<unsigned char>(bytes[2 * place]) << 8) |
                                                     static_cast<unsigned char>(bytes[2 * place + 1]));
      sums[(gb2312_sequence(character) - 1) * width + first_place_column(n) + place] += weight;
    }
  }

  const std::uint64_t largest = *std::max_element(sums.begin(), sums.end());
  std::string bytes(sums.size(), '\0');
  if (largest == 0) return bytes;
  const double scale = 255.0 / std::log1p(static_cast<double>(largest));
  for (std::size_t i = 0; i < sums.size(); ++i) {
    if (sums[i] == 0) continue;
    const long scaled = std::lround(std::log1p(static_cast<double>(sums[i])) * scale);
    bytes[i] = static_cast<char>(std::clamp<long>(scaled, 1, 255));
  }
  return bytes;
}

}  // namespace tavgen
