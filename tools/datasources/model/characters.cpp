#include "tools/datasources/model/characters.h"

#include <algorithm>

#include "platform/text.h"
#include "tools/datasources/readers/utf8.h"

namespace datasources {

namespace {

bool is_two_byte_gbk(const std::string& utf8) {
  std::optional<std::string> gbk = platform::text::from_utf8(utf8, platform::text::Encoding::Gbk);
  return gbk && gbk->size() == 2;
}

void add_tier(std::vector<Reading> tier, const std::map<std::string, std::uint32_t>& weights,
              std::vector<Reading>* readings) {
  std::stable_sort(tier.begin(), tier.end(), [&](const Reading& a, const Reading& b) {
    auto weight = [&](const Reading& r) {
      auto found = weights.find(r.syllable);
      return found == weights.end() ? 0u : found->second;
    };
    return weight(a) > weight(b);
  });
  for (const Reading& reading : tier) {
    if (std::find(readings->begin(), readings->end(), reading) == readings->end()) {
      readings->push_back(reading);
    }
  }
}

void merge_unihan(const UnihanChar& u, CharInfo* info) {
  std::vector<std::pair<Reading, int>> pinlu = u.pinlu;
  std::stable_sort(pinlu.begin(), pinlu.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  std::vector<Reading> counted;
  for (const auto& [reading, count] : pinlu) counted.push_back(reading);

  for (const Reading& r : u.mandarin) {
    if (std::find(info->readings.begin(), info->readings.end(), r) == info->readings.end()) {
      info->readings.push_back(r);
    }
  }
  add_tier(counted, info->weights, &info->readings);
  add_tier(u.modern, info->weights, &info->readings);
  add_tier(u.historical, info->weights, &info->readings);

  const std::vector<Reading>* current_tiers[] = {&u.mandarin, &counted, &u.modern};
  for (const std::vector<Reading>* tier : current_tiers) {
    for (const Reading& r : *tier) info->current_syllables.insert(r.syllable);
  }
  for (const Reading& r : u.historical) info->historical_syllables.insert(r.syllable);
  info->gb2312 = u.gb2312;
  info->cangjie = u.cangjie;
  info->frequency = u.frequency;
  for (char32_t t : u.traditional) info->traditional.push_back(utf8_of(t));
}

}  // namespace

std::uint8_t CharInfo::tone_mask(const std::string& syllable) const {
  std::uint8_t mask = 0;
  bool known = false;
  for (const Reading& reading : readings) {
    if (reading.syllable != syllable) continue;
    known = true;
    if (reading.tone >= 1 && reading.tone <= 4) mask |= static_cast<std::uint8_t>(1 << (reading.tone - 1));
  }
  return known ? mask : 15;
}

CharTable collect_characters(const Sources& sources) {
  CharTable table;
  // Weights first: they order the readings merged after them.
  for (const RimeEntry& entry : sources.words) {
    std::optional<std::vector<char32_t>> points = code_points_of(entry.text);
    if (!points || points->size() != 1 || entry.syllables.size() != 1 ||
        !is_table_syllable(entry.syllables[0])) {
      continue;
    }
    CharInfo& info = table[entry.text];
    std::uint32_t& weight = info.weights[entry.syllables[0]];
    weight = std::max(weight, entry.weight);
  }
  for (const auto& [point, u] : sources.unihan) {
    if (!u.has_readings()) continue;
    std::string text = utf8_of(point);
    CharInfo& info = table[text];
    merge_unihan(u, &info);
  }
  for (auto& [text, info] : table) {
    info.text = text;
    for (const auto& [syllable, weight] : info.weights) info.current_syllables.insert(syllable);
    if (auto found = sources.characters.find(text); found != sources.characters.end()) {
      info.traditional = found->second;  // the conversion tables know the usual form best
    }
    info.gbk = is_two_byte_gbk(text);
  }
  return table;
}

}  // namespace datasources
