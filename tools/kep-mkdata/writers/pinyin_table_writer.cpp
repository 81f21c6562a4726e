#include "writers/pinyin_table_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string_view>

#include "CoreSource/base/bigendian.h"
#include "CoreSource/base/codec.h"
#include "CoreSource/tables/pytable.h"

namespace mkdata {

namespace {

// The prefix whose run the first-syllable list entry of `slot` starts.
std::string slot_prefix(int slot) {
  if (slot == 8) return "zh";
  if (slot == 20) return "ch";
  if (slot == 21) return "sh";
  return std::string(1, static_cast<char>('a' + slot));
}

bool valid_syllable(const std::string& syllable) {
  return !syllable.empty() && syllable.size() <= IME_PY_SYLLABLE_BYTES &&
         std::all_of(syllable.begin(), syllable.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

bool encode_record(const PinyinRecord& record, std::string* out, std::string* error) {
  if (!valid_syllable(record.syllable)) {
    *error = "syllable \"" + record.syllable + "\" is not 1-6 lower-case letters";
    return false;
  }
  if (record.simplified.size() + record.traditional.size() > IME_PY_TEXT_BYTES) {
    *error = "texts of \"" + record.simplified + "\" are longer than 8 bytes";
    return false;
  }
  if (record.class_digit < '0' || record.class_digit > '9') {
    *error = "class of \"" + record.simplified + "\" is not a digit";
    return false;
  }
  unsigned char raw[IME_PY_RECORD_SIZE] = {};
  std::memcpy(raw, record.syllable.data(), record.syllable.size());
  ime_encode_str(raw, IME_PY_SYLLABLE_BYTES);
  ime_write_be32(raw + 6, record.hanzi_index);
  raw[10] = static_cast<unsigned char>(record.simplified.size());
  raw[11] = static_cast<unsigned char>(record.traditional.size());
  std::string text = record.simplified + record.traditional;
  std::memcpy(raw + 12, text.data(), text.size());
  ime_encode_str(raw + 12, IME_PY_TEXT_BYTES);
  ime_write_be32(raw + 20, record.base_frequency);
  raw[24] = static_cast<unsigned char>(record.class_digit);
  raw[25] = record.tone_mask;
  out->append(reinterpret_cast<const char*>(raw), sizeof raw);
  return true;
}

std::string end_record() {
  unsigned char raw[IME_PY_RECORD_SIZE] = {};
  std::memcpy(raw, IME_PY_END_SYLLABLE, IME_PY_SYLLABLE_BYTES);
  ime_encode_str(raw, IME_PY_SYLLABLE_BYTES);
  ime_encode_str(raw + 12, IME_PY_TEXT_BYTES);
  raw[24] = '0';
  return std::string(reinterpret_cast<const char*>(raw), sizeof raw);
}

void append_be32(std::string* out, std::uint32_t value) {
  unsigned char bytes[4];
  ime_write_be32(bytes, value);
  out->append(reinterpret_cast<const char*>(bytes), 4);
}

}  // namespace

std::vector<std::string> order_syllables(std::vector<std::string> syllables) {
  std::sort(syllables.begin(), syllables.end());
  syllables.erase(std::unique(syllables.begin(), syllables.end()), syllables.end());
  for (int slot = 0; slot < 26; ++slot) {
    std::string prefix = slot_prefix(slot);
    auto first = std::find(syllables.begin(), syllables.end(), ime_first_syllables[slot]);
    if (first == syllables.end()) continue;
    auto run = std::find_if(syllables.begin(), syllables.end(),
                            [&](const std::string& s) { return s.starts_with(prefix); });
    std::rotate(run, first, first + 1);
  }
  return syllables;
}

bool check_initial_runs(const std::vector<std::string>& ordered, std::string* error) {
  for (int slot = 0; slot < 26; ++slot) {
    std::string prefix = slot_prefix(slot);
    auto first = std::find(ordered.begin(), ordered.end(), ime_first_syllables[slot]);
    if (first == ordered.end()) continue;
    auto has_prefix = [&](const std::string& s) { return s.starts_with(prefix); };
    auto run_end = std::find_if_not(first, ordered.end(), has_prefix);
    if (std::any_of(ordered.begin(), first, has_prefix) ||
        std::any_of(run_end, ordered.end(), has_prefix)) {
      *error = "the syllables of \"" + prefix + "\" do not all follow \"" +
               ime_first_syllables[slot] + "\"";
      return false;
    }
  }
  return true;
}

std::optional<std::string> write_pinyin_table(const std::vector<PinyinRecord>& records,
                                              std::string* error) {
  std::map<std::string, std::vector<const PinyinRecord*>> groups;
  for (const PinyinRecord& record : records) groups[record.syllable].push_back(&record);
  std::vector<std::string> names;
  for (const auto& [syllable, members] : groups) names.push_back(syllable);
  names = order_syllables(std::move(names));
  if (!check_initial_runs(names, error)) return std::nullopt;

  std::string image;
  std::string syllable_index;
  // For each hanzi its record of the highest base frequency: offset and frequency.
  std::map<std::string, std::pair<std::size_t, std::uint32_t>> hanzi_best;
  for (const std::string& syllable : names) {
    char entry[IME_PY_INDEX_RECORD_SIZE + 1];
    std::snprintf(entry, sizeof entry, "%-6s %08zu", syllable.c_str(), image.size());
    syllable_index.append(entry, IME_PY_INDEX_RECORD_SIZE);
    for (const PinyinRecord* record : groups[syllable]) {
      auto [best, added] = hanzi_best.try_emplace(record->simplified, image.size(),
                                                  record->base_frequency);
      if (!added && record->base_frequency > best->second.second) {
        best->second = {image.size(), record->base_frequency};
      }
      if (!encode_record(*record, &image, error)) return std::nullopt;
    }
  }
  image += end_record();
  if (image.size() >= 100000000) {
    *error = "the records take more than the index can address";
    return std::nullopt;
  }

  std::size_t hanzi_start = image.size();
  for (const auto& [hanzi, best] : hanzi_best) {
    // The index has room for a character of up to four bytes and a blank.
    if (hanzi.size() < 2 || hanzi.size() > 4) continue;
    char entry[IME_PY_HANZI_RECORD_SIZE + 1];
    std::snprintf(entry, sizeof entry, "%-5s%09zu", hanzi.c_str(), best.first);
    image.append(entry, IME_PY_HANZI_RECORD_SIZE);
  }
  append_be32(&image, static_cast<std::uint32_t>(image.size() - hanzi_start));
  image += syllable_index;
  append_be32(&image, static_cast<std::uint32_t>(syllable_index.size()));
  return image;
}

std::optional<std::string> write_pinyin_ext_table(const std::vector<PinyinRecord>& records,
                                                  std::string* error) {
  std::string image;
  for (const PinyinRecord& record : records) {
    if (!encode_record(record, &image, error)) return std::nullopt;
  }
  return image + end_record();
}

}  // namespace mkdata
