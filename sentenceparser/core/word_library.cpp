#include "sentenceparser/core/word_library.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "CoreSource/tables/pinyin_code.h"
#include "sentenceparser/core/dan_table.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/library_layout.h"
#include "sentenceparser/core/sp_chars.h"
#include "sentenceparser/core/syllable_numbers.h"

namespace sentence {

namespace {

constexpr unsigned char kPreferred = 0x40;
constexpr unsigned char kNumberWordFlags = 0x80;

// Little-endian unsigned field of `size` bytes; false when it would not lie inside the file.
bool read_le(SpFile* file, std::int64_t offset, int size, std::uint64_t* value) {
  if (file == nullptr || offset < 0 || offset + size > QAMMapSize(file)) return false;
  unsigned char bytes[8] = {};
  if (_fseek(file, static_cast<long>(offset), SEEK_SET) != 0) return false;
  if (_fread(file, bytes, static_cast<std::size_t>(size)) != static_cast<std::size_t>(size)) {
    return false;
  }
  std::uint64_t result = 0;
  for (int i = size - 1; i >= 0; --i) result = result << 8 | bytes[i];
  *value = result;
  return true;
}

// Entry k of an index whose entries hold a first record of `first_size` bytes and a count of
// `count_size` bytes.
bool read_entry(SpFile* file, std::int64_t k, int first_size, int count_size,
                std::uint64_t* first, std::uint64_t* count) {
  if (k < 0) return false;
  const int entry = first_size + count_size;
  const std::int64_t offset = k * entry;
  return read_le(file, offset, first_size, first) &&
         read_le(file, offset + first_size, count_size, count);
}

// The syllable number of an initial and a final code, or -1.
int syllable_number(char initial, char code) {
  if (!IsCharLower(initial) || code == '\0') return -1;
  const char code_text[2] = {code, '\0'};
  char syllable[16] = {initial};
  if (ime_trans_ym(code_text, syllable + 1, 1) != 0) return -1;
  return getpyno(syllable);
}

// Whether the GBK text holds the digit placeholder "iA" as one of its two-byte units.
bool has_digit_placeholder(const char* text) {
  for (std::size_t i = 0; text[i] != '\0' && text[i + 1] != '\0'; i += 2) {
    if (text[i] == 'i' && text[i + 1] == 'A') return true;
  }
  return false;
}

unsigned scaled(unsigned value, unsigned numerator, unsigned denominator) {
  return static_cast<unsigned>(static_cast<std::uint64_t>(value) * numerator / denominator);
}

// Divisor of the weight of a word that holds a digit.
unsigned digit_divisor(int n, bool abbreviation) {
  switch (n) {
    case 2: return abbreviation ? 163 : 165;
    case 3: return 145;
    case 4: return 125;
    default: return static_cast<unsigned>(120 - n);
  }
}

struct NumberSyllable {
  const char* syllable;
  const char* gbk;
};
// 零 一 二 三 四 五 六 七 八 九 十
constexpr NumberSyllable kNumberSyllables[] = {
    {"ling", "\xC1\xE3"}, {"yi", "\xD2\xBB"}, {"er", "\xB6\xFE"}, {"san", "\xC8\xFD"},
    {"si", "\xCB\xC4"},   {"wu", "\xCE\xE5"}, {"liu", "\xC1\xF9"}, {"qi", "\xC6\xDF"},
    {"ba", "\xB0\xCB"},   {"jiu", "\xBE\xC5"}, {"shi", "\xCA\xAE"},
};

}  // namespace

std::int64_t Get42Pos(std::int64_t k, int* count, SpFile* file) {
  std::uint64_t first = 0, entries = 0;
  if (count != nullptr) *count = 0;
  if (!read_entry(file, k, 4, 2, &first, &entries)) return -1;
  if (count != nullptr) *count = static_cast<int>(entries);
  return static_cast<std::int64_t>(first);
}

std::int64_t Get44Pos(std::int64_t k, std::int64_t* count, SpFile* file) {
  std::uint64_t first = 0, entries = 0;
  if (count != nullptr) *count = 0;
  if (!read_entry(file, k, 4, 4, &first, &entries)) return -1;
  if (count != nullptr) *count = static_cast<std::int64_t>(entries);
  return static_cast<std::int64_t>(first);
}

std::int64_t Get22Pos(std::int64_t k, int* count, SpFile* file) {
  std::uint64_t first = 0, entries = 0;
  if (count != nullptr) *count = 0;
  if (!read_entry(file, k, 2, 2, &first, &entries)) return -1;
  if (count != nullptr) *count = static_cast<int>(entries);
  return static_cast<std::int64_t>(first);
}

int gethlen(int n) { return main_record_width(n); }
int getwlen(int n) { return whole_record_width(n); }
int getj10len(int n) { return head_end_record_width(n); }

void tranpos(int* value) {
  if (value != nullptr) *value = stored_byte_value(*value);
}

int decodehz(const char* key, int n, char* text) {
  if (text == nullptr) return 0;
  constexpr int kMaxSyllables = (kWordTextSize - 1) / 2;
  if (key == nullptr || n < 1 || n > kMaxSyllables) {
    text[0] = '\0';
    return 0;
  }
  const int code_offset = n == 2 ? 4 : n;
  char word[kWordTextSize] = {};
  for (int i = 0; i < n; ++i) {
    const int number = syllable_number(key[i], key[code_offset + i]);
    int position = static_cast<unsigned char>(text[i]);
    tranpos(&position);
    const DanRow* row = number >= 0 ? &DanTab[number] : nullptr;
    if (row == nullptr || row->characters == nullptr || position >= row->count ||
        std::strlen(row->characters) < static_cast<std::size_t>(2 * position + 2)) {
      text[0] = '\0';
      return 0;
    }
    std::memcpy(word + 2 * i, row->characters + 2 * position, 2);
  }
  std::memcpy(text, word, static_cast<std::size_t>(2 * n + 1));
  return 1;
}

void fendannum(unsigned char flags, int n, int* splits, int* singles) {
  // Mark k (1..6) says the word divides after syllable k.
  auto marked = [flags](int k) { return k >= 1 && k <= 6 && (flags & (0x40 >> k)) != 0; };
  int split_count = 0;
  for (int k = 1; k <= 6; ++k) split_count += marked(k) ? 1 : 0;
  int single_count = 0;
  if (n >= 2) {
    if (marked(1)) ++single_count;
    if (marked(n - 1)) ++single_count;
    for (int k = 2; k <= n - 1; ++k) {
      if (marked(k - 1) && marked(k)) ++single_count;
    }
  }
  if (splits != nullptr) *splits = split_count;
  if (singles != nullptr) *singles = single_count;
}

void tonebkpl(char* text, int n, unsigned char flags, int* weight, int keep) {
  if (text == nullptr || weight == nullptr) return;
  const int stored = *weight;
  unsigned value = stored > 0 ? static_cast<unsigned>(stored) : 0u;
  const bool boosted = (flags & kPreferred) != 0;
  if (boosted) value = scaled(value, 156, 100);
  int splits = 0, singles = 0;
  fendannum(flags, n, &splits, &singles);
  if (singles == 0) {
    value = scaled(value, 142, 100);
    if (!boosted) value = scaled(value, 156, 100);
    if (stored > 97 && n == 2) value = scaled(value, 120, 100);
  }
  if (keep == 0 && !boosted && singles > 0) {
    text[0] = '\0';
    return;
  }
  constexpr unsigned kLengthFactors[] = {65, 275, 375, 770, 950, 1080};
  if (n >= 2 && n <= 7) value = scaled(value, kLengthFactors[n - 2], 100);
  if (has_digit_placeholder(text)) value = scaled(value, 100, digit_divisor(n, false));
  *weight = static_cast<int>(value);
}

int tonejppl(int n, unsigned char flags, int parts, const char* word, int weight) {
  unsigned value = weight > 0 ? static_cast<unsigned>(weight) : 0u;
  if (word != nullptr && has_digit_placeholder(word)) {
    value = scaled(value, 100, digit_divisor(n, true));
  }
  if (parts == 0) {
    value = scaled(value, 158, 100);
  } else if ((flags & kPreferred) != 0) {
    value = scaled(value, 150, 100);
  }
  return static_cast<int>(value);
}

int accordhz(const char* fixed, const char* candidate) {
  if (fixed == nullptr || candidate == nullptr) return 1;
  const std::size_t length = std::strlen(fixed);
  if (length != std::strlen(candidate)) return 1;
  for (std::size_t i = 0; i + 1 < length; i += 2) {
    if (CharIsHz(fixed + i) && std::memcmp(fixed + i, candidate + i, 2) != 0) return 0;
  }
  return 1;
}

int is_numci(const char* key, int n, char* text, int* weight, unsigned char* flags) {
  constexpr int kLongest = 7;  // main-library keys hold at most 7 syllables
  if (key == nullptr || text == nullptr || n < 4 || n > MaxWordNum || n > kLongest) return 0;
  char word[kWordTextSize] = {};
  for (int i = 0; i < n; ++i) {
    const char code_text[2] = {key[n + i], '\0'};
    char syllable[16] = {key[i]};
    if (!IsCharLower(key[i]) || code_text[0] == '\0' ||
        ime_trans_ym(code_text, syllable + 1, 1) != 0) {
      return 0;
    }
    const NumberSyllable* match = nullptr;
    for (const auto& number : kNumberSyllables) {
      if (std::strcmp(number.syllable, syllable) == 0) match = &number;
    }
    if (match == nullptr) return 0;
    std::memcpy(word + 2 * i, match->gbk, 2);
  }
  std::memcpy(text, word, static_cast<std::size_t>(2 * n + 1));
  if (weight != nullptr) *weight = n * 10 + 40;
  if (flags != nullptr) *flags = kNumberWordFlags;
  return 1;
}

}  // namespace sentence
