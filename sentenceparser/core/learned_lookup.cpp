// The learned words as the word lookups see them: a library key turned back into pinyin, and
// the weight a learned word gets.
#include <cstring>
#include <string>

#include "CoreSource/tables/pinyin_code.h"
#include "sentenceparser/core/learned_words.h"
#include "sentenceparser/core/word_library.h"

namespace sentence {
namespace {

constexpr int kLookupSyllablesMax = 10;
constexpr int kWeightCap = 3000;
constexpr int kCountCap = 3000;

bool is_upper(char c) { return c >= 'A' && c <= 'Z'; }
bool is_lower(char c) { return c >= 'a' && c <= 'z'; }

// The learned-word pinyin of a key: an abbreviation key lower-cased, a full key's syllables
// (initial plus final text) joined by "-". Empty when the key does not decode.
std::string learned_pinyin(const char* key, int n) {
  std::string text;
  if (is_upper(key[0])) {
    for (int i = 0; i < n; ++i) {
      const char c = key[i];
      if (!is_upper(c) && !is_lower(c)) return {};
      text += static_cast<char>(is_upper(c) ? c - 'A' + 'a' : c);
    }
    return text;
  }
  const int code_offset = n == 2 ? 4 : n;
  for (int i = 0; i < code_offset; ++i) {
    if (key[i] == '\0') return {};
  }
  for (int i = 0; i < n; ++i) {
    const char initial = key[i];
    const char code[2] = {key[code_offset + i], '\0'};
    char rest[16] = {};
    if (!is_lower(initial) || code[0] == '\0' || ime_trans_ym(code, rest, 1) != 0) return {};
    if (!text.empty()) text += '-';
    text += initial;
    for (const char* p = rest; *p != '\0'; ++p) {
      text += static_cast<char>(is_upper(*p) ? *p - 'A' + 'a' : *p);
    }
  }
  return text;
}

}  // namespace

int in_youxian(const char* key, int n, char* text, int* count, int /*listing*/) {
  if (count != nullptr) *count = 0;
  if (key == nullptr || text == nullptr || n < 1 || n > kLookupSyllablesMax) return 0;
  const std::string pinyin = learned_pinyin(key, n);
  if (pinyin.empty()) return 0;
  char word[256] = {};
  int learned = 0;
  if (in_memci(pinyin.c_str(), text, word, &learned, 0) != 1 || learned <= 0) return 0;
  // The items take one character each: a word of another length cannot stand for the key.
  if (std::strlen(word) != static_cast<std::size_t>(2 * n) || 2 * n >= kWordTextSize) return 0;
  std::memcpy(text, word, static_cast<std::size_t>(2 * n + 1));
  if (count != nullptr) *count = learned;
  return learned;
}

int fix_user_wordpl(int n, int count, int listing) {
  int factor = 0;
  if (listing != 0) {
    switch (n) {
      case 3: factor = 500; break;
      case 4: factor = 900; break;
      case 5: factor = 1800; break;
      case 6: factor = 2200; break;
      case 7: factor = 2500; break;
      default: factor = 140; break;
    }
  } else {
    switch (n) {
      case 2: factor = 30; break;
      case 3: factor = 200; break;
      case 4: factor = 250; break;
      case 5: factor = 300; break;
      case 6: factor = 350; break;
      case 7: factor = 400; break;
      default: factor = 10; break;
    }
  }
  const long long used = count < kCountCap ? count : kCountCap;
  const long long weight = ((n * 50LL * used + 50) * factor) / 100;
  return weight > kWeightCap ? kWeightCap : static_cast<int>(weight);
}

}  // namespace sentence
