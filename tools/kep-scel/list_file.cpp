#include "list_file.h"

#include <cmath>
#include <cstdlib>

#include "platform/text.h"

namespace kep_scel {

namespace {

std::optional<std::string> parse_syllables(std::string_view pinyin, std::vector<std::string>* out) {
  std::size_t start = 0;
  while (true) {
    std::size_t end = pinyin.find('\'', start);
    std::string_view syllable = pinyin.substr(start, end == std::string_view::npos ? end : end - start);
    if (syllable.empty() || syllable.size() > 6) return "a syllable is not 1 to 6 letters";
    for (char c : syllable) {
      if (c < 'a' || c > 'z') return "the pinyin \"" + std::string(pinyin) + "\" holds more than letters a-z and \"'\"";
    }
    out->emplace_back(syllable);
    if (end == std::string_view::npos) return std::nullopt;
    start = end + 1;
  }
}

// UTF-16 units of a UTF-8 text: one per character, two beyond U+FFFF.
std::size_t utf16_units(std::string_view utf8) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    std::size_t length = platform::text::utf8_sequence_length(static_cast<unsigned char>(utf8[i]));
    units += length == 4 ? 2 : 1;
    i += length;
  }
  return units;
}

std::optional<float> parse_frequency(std::string_view text) {
  if (text.empty() || text.find_first_not_of("0123456789.") != std::string_view::npos) return std::nullopt;
  std::string copy(text);
  char* end = nullptr;
  double value = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size() || !std::isfinite(value) || value > 3.0e38) return std::nullopt;
  return static_cast<float>(value);
}

std::optional<std::string> parse_line(std::string_view line, scel::WriterWord* word) {
  std::size_t blank = line.find(' ');
  if (blank == std::string_view::npos) return "expected \"pinyin word [frequency]\"";
  if (auto why = parse_syllables(line.substr(0, blank), &word->syllables)) return why;
  std::string_view rest = line.substr(blank + 1);
  std::size_t second = rest.find(' ');
  std::string_view text = rest.substr(0, second);
  if (text.empty()) return "the word is missing";
  if (text.find('\t') != std::string_view::npos) return "the word holds a tab";
  if (second != std::string_view::npos) {
    std::string_view frequency = rest.substr(second + 1);
    std::optional<float> value = parse_frequency(frequency);
    if (!value) return "the frequency \"" + std::string(frequency) + "\" is not a number of 0 or more";
    word->frequency = *value;
  }
  if (!platform::text::is_valid_utf8(text)) return "the word is not UTF-8 text";
  word->text = std::string(text);
  const std::size_t units = utf16_units(text);
  if (units != word->syllables.size()) {
    return "the word has " + std::to_string(units) + " characters but the pinyin " +
           std::to_string(word->syllables.size()) + " syllables";
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<scel::WriterWord>> parse_word_list(std::string_view text, std::string* error) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<scel::WriterWord> words;
  std::size_t number = 0;
  while (!text.empty()) {
    ++number;
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    scel::WriterWord word;
    if (auto why = parse_line(line, &word)) {
      *error = "line " + std::to_string(number) + ": " + *why;
      return std::nullopt;
    }
    words.push_back(std::move(word));
  }
  return words;
}

}  // namespace kep_scel
