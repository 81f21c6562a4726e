#include "sentenceparser/core/syllable_numbers.h"

#include <cstring>

#include "sentenceparser/core/sp_chars.h"
#include "sentenceparser/core/syllable_list.h"

namespace sentence {

static_assert(kSyllableCount == kSyllableTextCount, "one number per syllable text");

namespace {

// The list's order: byte value, the end of a text sorting after every byte.
int compare_syllables(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const unsigned char x = static_cast<unsigned char>(*a);
    const unsigned char y = static_cast<unsigned char>(*b);
    if (x == y) {
      if (x == '\0') return 0;
      continue;
    }
    if (x == '\0') return 1;
    if (y == '\0') return -1;
    return x < y ? -1 : 1;
  }
}

int letter_number(char c) {
  const char lower = IsCharUpper(c) ? static_cast<char>(c - 'A' + 'a') : c;
  return IsCharLower(lower) ? lower - 'a' : -1;
}

}  // namespace

int getpyno(const char* text) {
  if (text == nullptr) return -1;
  const std::size_t length = strnlen(text, 21);
  if (length < 2 || length > 20 || !IsCharLower(text[0])) return -1;
  int low = 0;
  int high = kSyllableTextCount - 1;
  while (low <= high) {
    const int middle = (low + high) / 2;
    const int order = compare_syllables(text, kSyllableTexts[middle]);
    if (order == 0) return middle;
    if (order < 0) {
      high = middle - 1;
    } else {
      low = middle + 1;
    }
  }
  return -1;
}

const char* pyno_text(int number) {
  return number >= 0 && number < kSyllableTextCount ? kSyllableTexts[number] : nullptr;
}

int ChrIsChinese(const char* text, int any) {
  if (text == nullptr || text[0] == '\0' || text[1] == '\0') return 0;
  if (any != 0) return 1;
  return ComputeGbNo(text) + 1;
}

int GetPy2No(const char* text) {
  if (text == nullptr) return -1;
  const int b0 = letter_number(text[0]);
  if (b0 < 0) return -1;
  const int b1 = letter_number(text[1]);
  if (b1 < 0) return -1;
  return b0 * 26 + b1;
}

int GetPy3No(const char* text) {
  const int head = GetPy2No(text);
  if (head < 0) return -1;
  const int b2 = letter_number(text[2]);
  if (b2 < 0) return -1;
  return head * 26 + b2;
}

int GetPy4No(const char* text) {
  // Bytes after the terminator count as 0 rather than being read.
  int digits[4] = {0, 0, 0, 0};
  for (int i = 0; i < 4 && text != nullptr && text[i] != '\0'; ++i) {
    digits[i] = static_cast<unsigned char>(text[i]);
  }
  return (digits[0] - 'a') * 17576 + (digits[1] - 'a') * 676 + (digits[2] - 'a') * 26 +
         (digits[3] - 'a');
}

void dan_to_shuang(char* text, int flag) {
  if (text == nullptr || text[0] == '\0') return;
  if (flag != 0) {
    if (text[1] != '\0') return;
    switch (text[0]) {
      case 'a': text[1] = 'P'; break;
      case 'e': text[1] = 'Q'; break;
      case 'o': text[1] = 'R'; break;
      default: return;
    }
    text[2] = '\0';
    return;
  }
  const bool marked = ((text[0] == 'a' && text[1] == 'P') || (text[0] == 'e' && text[1] == 'Q') ||
                       (text[0] == 'o' && text[1] == 'R')) &&
                      text[2] == '\0';
  if (marked) text[1] = '\0';
}

}  // namespace sentence
