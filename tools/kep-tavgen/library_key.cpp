#include "library_key.h"

#include "CoreSource/tables/pinyin_code.h"

namespace tavgen {

namespace {

// Longest syllable the final-code table can hold, with room for the marked form.
constexpr std::size_t kSyllableMax = 6;

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::optional<KeyedSyllable> keyed_syllable(std::string_view syllable) {
  if (syllable.empty() || syllable.size() > kSyllableMax) return std::nullopt;
  if (syllable[0] < 'a' || syllable[0] > 'z') return std::nullopt;
  char plain[8] = {};
  syllable.copy(plain, syllable.size());
  char marked[8] = {};
  ime_dan_to_shuang(plain, marked, 1);
  char code[8] = {};
  if (marked[1] == '\0' || ime_trans_ym(marked + 1, code, 0) != 0) return std::nullopt;
  return KeyedSyllable{marked, marked[0], code[0]};
}

std::optional<std::string> library_word_key(const std::vector<std::string>& syllables) {
  const std::size_t n = syllables.size();
  if (n < 1 || n > 7) return std::nullopt;
  std::vector<KeyedSyllable> keyed;
  for (const std::string& syllable : syllables) {
    std::optional<KeyedSyllable> one = keyed_syllable(syllable);
    if (!one) return std::nullopt;
    keyed.push_back(std::move(*one));
  }
  std::string key;
  for (const KeyedSyllable& one : keyed) key += one.initial;
  if (n == 2) {
    for (const KeyedSyllable& one : keyed) key += lower(one.marked[1]);
  }
  for (const KeyedSyllable& one : keyed) key += one.code;
  return key;
}

}  // namespace tavgen
