// Word-list lines in, intermediate lines out: everything a line must satisfy to become a
// record is checked here, so the writer only ever sees records the engine can read back.
#include <charconv>
#include <cstdio>
#include <limits>

#include "CoreSource/dict/dictfmt.h"
#include "dictbuilder.h"

namespace {

bool is_separator(char c) { return c == ' ' || c == '\t'; }

// The leading decimal digits as an unsigned 32-bit number: no digits give 0, a larger number
// the largest one (a frequency is a weight, so the order of huge ones hardly matters).
std::uint32_t leading_number(std::string_view text) {
  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  if (digits == 0) return 0;
  std::uint32_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + digits, value);
  (void)end;
  return error == std::errc::result_out_of_range ? std::numeric_limits<std::uint32_t>::max() : value;
}

// Reads up to the next separator or the end; `at` is left on the separator (or the end).
std::string_view take_field(std::string_view text, std::size_t& at) {
  std::size_t start = at;
  while (at < text.size() && !is_separator(text[at])) ++at;
  return text.substr(start, at - start);
}

bool is_tone_digit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

bool all_stars(std::string_view text) {
  return !text.empty() && text.find_first_not_of('*') == std::string_view::npos;
}

}  // namespace

int ime_py_fgets1(std::FILE* file, ime_wordlist_line_t* line) {
  std::string text;
  bool read_any = false;
  bool too_long = false;
  bool has_zero = false;
  int c;
  while ((c = getc_unlocked(file)) != EOF) {  // unlocked: a build is the file's only reader
    read_any = true;
    if (c == '\n') break;
    if (c == '\0') has_zero = true;
    if (text.size() <= IME_DICT_LINE_MAX) {
      text.push_back(static_cast<char>(c));
    } else {
      too_long = true;  // keep consuming, so the next call starts on the next line
    }
  }
  if (!read_any) return IME_LINE_END;
  if (!text.empty() && text.back() == '\r') text.pop_back();
  if (too_long || text.size() > IME_DICT_LINE_MAX || has_zero) return IME_LINE_BAD;

  *line = ime_wordlist_line_t{};
  std::string_view view(text);
  std::size_t blank = view.find(' ');
  line->pinyin = std::string(view.substr(0, blank));
  if (blank == std::string_view::npos) return IME_LINE_READ;

  std::size_t at = blank + 1;
  line->word = std::string(take_field(view, at));
  if (at == view.size()) {
    line->second = line->word;
    return IME_LINE_READ;
  }
  ++at;
  std::string_view second = take_field(view, at);
  if (second.size() > IME_DICT_FIELD_MAX) return IME_LINE_BAD;
  line->second = std::string(second);
  if (at == view.size()) return IME_LINE_READ;
  ++at;
  std::string_view frequency = take_field(view, at);
  if (frequency.size() > IME_DICT_FIELD_MAX) return IME_LINE_BAD;
  line->frequency = leading_number(frequency);
  if (at == view.size()) return IME_LINE_READ;
  ++at;
  std::string_view tones = view.substr(at);
  if (tones.size() > IME_DICT_FIELD_MAX) return IME_LINE_BAD;
  line->tones = std::string(tones);
  return IME_LINE_READ;
}

bool ime_make_sorted_line(const ime_wordlist_line_t& line, std::string* sorted, std::string* why) {
  char syllables[dictfmt::kMaxSyllables][8];
  int count = ime_split_py(line.pinyin, syllables);
  if (count < 1) {
    *why = "the pinyin is not 1 to 60 syllables of 1 to 6 letters a-z joined by \"'\"";
    return false;
  }
  const auto n = static_cast<std::size_t>(count);
  std::string finals(n, '\0');
  if (ime_get_enc_ym(syllables, count, finals.data()) != count) {
    *why = "a syllable has no final code";
    return false;
  }
  if (line.word.size() != 2 * n || !dictfmt::is_two_byte_gb18030(line.word)) {
    *why = "the word is not one two-byte GB18030 character per syllable";
    return false;
  }
  // Stars only mark a form still to be computed, so their number does not matter.
  const std::string second = all_stars(line.second) ? std::string(2 * n, '*') : line.second;
  if (second.size() != 2 * n || (!dictfmt::is_two_byte_gb18030(second) && !all_stars(second))) {
    *why = "the second form is neither \"*\" nor one two-byte GB18030 character per syllable";
    return false;
  }

  std::string initials(n, '\0');
  for (std::size_t i = 0; i < n; ++i) initials[i] = syllables[i][0];
  // A tone byte that is no digit stays zero: "tone unknown", which the reader never filters.
  std::string tones(n, '\0');
  for (std::size_t i = 0; i < n && i < line.tones.size(); ++i) {
    if (is_tone_digit(line.tones[i])) tones[i] = line.tones[i];
  }

  sorted->clear();
  sorted->reserve(8 * n + 24);
  for (const std::string& field : {dictfmt::folded_key(initials), initials, finals, line.word, second}) {
    *sorted += field;
    *sorted += ' ';
  }
  *sorted += std::to_string(line.frequency);
  *sorted += ' ';
  *sorted += tones;
  return true;
}

bool _ime_py_fgets2(std::string_view text, ime_sorted_line_t* line) {
  std::string_view fields[6];
  std::size_t at = 0;
  for (std::string_view& field : fields) {
    std::size_t blank = text.find(' ', at);
    if (blank == std::string_view::npos) return false;
    field = text.substr(at, blank - at);
    at = blank + 1;
  }
  std::string_view tones = text.substr(at);
  const std::size_t n = fields[1].size();
  if (n < 1 || n > static_cast<std::size_t>(dictfmt::kMaxSyllables) || fields[0].size() != n ||
      fields[2].size() != n || fields[3].size() != 2 * n || fields[4].size() != 2 * n ||
      tones.size() != n || fields[5].empty()) {
    return false;
  }
  line->key = std::string(fields[0]);
  line->initials = std::string(fields[1]);
  line->finals = std::string(fields[2]);
  line->word = std::string(fields[3]);
  line->second = std::string(fields[4]);
  line->frequency = leading_number(fields[5]);
  line->tones = std::string(tones);
  return true;
}
