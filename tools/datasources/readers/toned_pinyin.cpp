#include "tools/datasources/readers/toned_pinyin.h"

#include <set>

#include "CoreSource/tables/pinyin_code.h"

namespace datasources {

namespace {

struct Mark {
  std::string_view utf8;
  char letter;
  int tone;
};

// Precomposed letters with tone marks, and ü on its own.
constexpr Mark kMarkedLetters[] = {
    {"ā", 'a', 1}, {"á", 'a', 2}, {"ǎ", 'a', 3}, {"à", 'a', 4},
    {"ē", 'e', 1}, {"é", 'e', 2}, {"ě", 'e', 3}, {"è", 'e', 4},
    {"ī", 'i', 1}, {"í", 'i', 2}, {"ǐ", 'i', 3}, {"ì", 'i', 4},
    {"ō", 'o', 1}, {"ó", 'o', 2}, {"ǒ", 'o', 3}, {"ò", 'o', 4},
    {"ū", 'u', 1}, {"ú", 'u', 2}, {"ǔ", 'u', 3}, {"ù", 'u', 4},
    {"ǖ", 'v', 1}, {"ǘ", 'v', 2}, {"ǚ", 'v', 3}, {"ǜ", 'v', 4}, {"ü", 'v', 0},
    {"ḿ", 'm', 2}, {"ń", 'n', 2}, {"ň", 'n', 3}, {"ǹ", 'n', 4},
};

// Combining tone marks that follow a plain letter ("m̀").
constexpr Mark kCombiningMarks[] = {
    {"\xCC\x84", 0, 1}, {"\xCC\x81", 0, 2}, {"\xCC\x8C", 0, 3}, {"\xCC\x80", 0, 4},
};

const std::set<std::string, std::less<>>& table_syllables() {
  static const std::set<std::string, std::less<>> syllables = [] {
    std::set<std::string, std::less<>> all = {"m", "n", "ng", "hm", "hng"};
    for (int i = 0; ime_all_syllables[i] != nullptr; ++i) all.insert(ime_all_syllables[i]);
    return all;
  }();
  return syllables;
}

}  // namespace

std::optional<Reading> parse_toned_pinyin(std::string_view text) {
  Reading reading;
  while (!text.empty()) {
    char c = text[0];
    if (c >= 'a' && c <= 'z') {
      reading.syllable.push_back(c);
      text.remove_prefix(1);
      continue;
    }
    bool matched = false;
    for (const Mark& mark : kMarkedLetters) {
      if (text.starts_with(mark.utf8)) {
        reading.syllable.push_back(mark.letter);
        if (mark.tone != 0) reading.tone = mark.tone;
        text.remove_prefix(mark.utf8.size());
        matched = true;
        break;
      }
    }
    for (const Mark& mark : kCombiningMarks) {
      if (!matched && !reading.syllable.empty() && text.starts_with(mark.utf8)) {
        reading.tone = mark.tone;
        text.remove_prefix(mark.utf8.size());
        matched = true;
      }
    }
    if (!matched) return std::nullopt;
  }
  reading.syllable = normalize_syllable(reading.syllable);
  if (!is_table_syllable(reading.syllable)) return std::nullopt;
  return reading;
}

std::string normalize_syllable(std::string_view syllable) {
  std::string text(syllable);
  for (std::size_t at = text.find("ü"); at != std::string::npos; at = text.find("ü")) {
    text.replace(at, std::string_view("ü").size(), "v");
  }
  if (text == "lue" || text == "nue") text[1] = 'v';
  return text;
}

bool is_table_syllable(std::string_view syllable) {
  return table_syllables().count(syllable) != 0;
}

bool has_final_code(const std::string& syllable) {
  if (!is_table_syllable(syllable)) return false;
  char initial = 0, code = 0;
  ime_decompose_py(syllable.c_str(), &initial, &code);
  return code != 0;
}

}  // namespace datasources
