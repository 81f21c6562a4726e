// Writes the single-character pinyin tables in the form CoreSource/pytable.h describes:
// pinyin.db (records, hanzi index, syllable index) and the extension table pinyin2.db.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mkdata {

struct PinyinRecord {
  std::string syllable;  // 1-6 lower-case letters
  std::uint32_t hanzi_index = 0;
  std::string simplified;   // UTF-8; with the traditional text at most 8 bytes
  std::string traditional;  // UTF-8
  std::uint32_t base_frequency = 0;
  char class_digit = '1';
  std::uint8_t tone_mask = 15;
};

// One character of a syllable, as the small tables of the tests and fuzz seeds list them.
inline PinyinRecord pinyin_record(const char* syllable, const char* simplified,
                                  const char* traditional, std::uint32_t frequency,
                                  std::uint8_t tones, char class_digit = '5') {
  PinyinRecord r;
  r.syllable = syllable;
  r.simplified = simplified;
  r.traditional = traditional;
  r.base_frequency = frequency;
  r.tone_mask = tones;
  r.class_digit = class_digit;
  return r;
}

// The order of the syllable groups that the initial-only scan needs: alphabetical, except
// that each letter's run of syllables starts with the letter's entry of the first-syllable
// list ("jia" before "ji"); "zh", "ch" and "sh" then lie inside the runs of z, c and s.
std::vector<std::string> order_syllables(std::vector<std::string> syllables);

// Checks that order: for each first-syllable list entry present, no syllable with its prefix
// comes before it and all of them follow it without a gap.
bool check_initial_runs(const std::vector<std::string>& ordered, std::string* error);

// pinyin.db: the records grouped by syllable (groups in order_syllables order, records of a
// group in the given order), the end record, the hanzi index (each simplified text to its
// record of the highest base frequency) and the syllable index. nullopt with the reason when
// a record does not fit its fields.
std::optional<std::string> write_pinyin_table(const std::vector<PinyinRecord>& records,
                                              std::string* error);

// pinyin2.db: the records in the given order and the end record.
std::optional<std::string> write_pinyin_ext_table(const std::vector<PinyinRecord>& records,
                                                  std::string* error);

}  // namespace mkdata
