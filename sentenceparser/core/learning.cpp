#include "sentenceparser/core/learning.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/learned_words.h"
#include "sentenceparser/core/name_tests.h"
#include "sentenceparser/core/sp_chars.h"
#include "sentenceparser/core/word_tests.h"

namespace sentence {

LearnedWordSink LearnedWordStore = &save_memci;

namespace {

constexpr int kSyllableLetters = 6;
constexpr int kAbbreviationMin = 2;
constexpr int kAbbreviationMax = 9;
constexpr int kWordMin = 2;
constexpr int kWordMax = 5;
constexpr int kLongestWord = 7;  // MaxWordNum's ceiling in the word search
constexpr int kEntryRoom = 64;   // save_memci rewrites its pinyin and count in place

enum NameMark : unsigned char { kNoName = 0, kNameFirst = 1, kNameInside = 2, kNameLast = 3 };

NameMark name_mark(const Item& item) {
  return static_cast<NameMark>((item.flags2 & kItemNameMark) >> 1);
}
void set_name_mark(Item& item, NameMark mark) {
  item.flags2 = static_cast<unsigned char>((item.flags2 & ~kItemNameMark) | (mark << 1));
}

bool has(const Item& item, unsigned char flag) { return (item.flags & flag) != 0; }
bool holds_chinese(const Item& item) { return has(item, kItemChinese); }
bool is_full_width_digit(const unsigned char* unit) {
  return unit[0] == 0xA3 && unit[1] >= 0xB0 && unit[1] <= 0xB9;
}
int effective_max_word() {
  return MaxWordNum < 0 ? 0 : (MaxWordNum > kLongestWord ? kLongestWord : MaxWordNum);
}

// The span's characters, or false when an item holds no Chinese character.
bool span_text(int first, int last, char* out, std::size_t room) {
  std::size_t at = 0;
  for (int i = first; i <= last; ++i) {
    if (!holds_chinese(gNitem[i]) || at + 3 > room) return false;
    out[at++] = static_cast<char>(gNitem[i].character[0]);
    out[at++] = static_cast<char>(gNitem[i].character[1]);
  }
  out[at] = '\0';
  return true;
}

bool starts_clear_of_names(const Item& item) {
  const NameMark mark = name_mark(item);
  return mark != kNameInside && mark != kNameLast;
}
bool ends_clear_of_names(const Item& item) {
  const NameMark mark = name_mark(item);
  return mark != kNameFirst && mark != kNameInside;
}

void learn(const char* key, const char* word, int abbreviation) {
  if (LearnedWordStore == nullptr) return;
  char pinyin[kEntryRoom] = {};
  char count[kEntryRoom] = "1";
  std::strncpy(pinyin, key, sizeof pinyin - 1);
  LearnedWordStore(pinyin, word, count, "A", abbreviation);
}

char initial_of(const Item& item) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(item.letters[0])));
}

// Items from the pinyin text; the number built.
int build_items(const char* pinyin) {
  std::memset(gNitem, 0, sizeof gNitem);
  int current = 0;
  bool started = false;
  auto close_current = [&] {
    if (started) {
      ++current;
      started = false;
    }
  };
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(pinyin);
       *p != '\0' && current < kMaxLearnItems; ++p) {
    Item& item = gNitem[current];
    const unsigned char c = *p;
    if (c == '_') {
      close_current();
    } else if (c == '*') {
      item.flags |= kItemUserChanged;
    } else if (IsCharLower(c)) {
      const std::size_t length = strnlen(item.letters, kSyllableLetters);
      if (length < kSyllableLetters) item.letters[length] = static_cast<char>(c);
      item.flags |= kItemPinyin;
      started = true;
    } else if (IsCharUpper(c)) {
      close_current();
      if (current >= kMaxLearnItems) break;
      Item& fresh = gNitem[current];
      fresh.letters[0] = static_cast<char>(c);
      fresh.flags |= kItemPinyin | kItemAbbreviated;
      started = true;
    } else if (c < 0x80) {
      close_current();
      if (current >= kMaxLearnItems) break;
      Item& own = gNitem[current];
      own.letters[0] = static_cast<char>(c);
      own.character[1] = c;
      own.flags |= kItemFixed | kItemWordStart | kItemWordEnd;
      if (IsDigit(c)) own.flags2 |= kItemDigit;
      started = true;
      close_current();
    } else if (c >= 0x81 && c <= 0xFE && p[1] >= 0x40 && p[1] != 0xFF) {
      close_current();
      if (current >= kMaxLearnItems) break;
      Item& own = gNitem[current];
      own.character[0] = c;
      own.character[1] = p[1];
      own.flags |= kItemFixed | kItemGiven | kItemWordStart | kItemWordEnd;
      if (CharIsHz(reinterpret_cast<const char*>(p))) own.flags |= kItemChinese;
      if (is_full_width_digit(p)) own.flags2 |= kItemDigit;
      started = true;
      close_current();
      ++p;
    }
    // Any other byte (a lone lead byte, 0x80, 0xFF) makes no item.
  }
  const int count = current + (started && current < kMaxLearnItems ? 1 : 0);
  if (count > 0) gNitem[0].flags |= kItemWordStart;
  return count;
}

// Places the committed characters over the items; false when the counts differ.
bool place_text(const char* text, int count) {
  int next = 0;
  bool separator_before = false;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != '\0'; ++p) {
    if (*p < 0x80) {
      separator_before = true;
      continue;
    }
    if (p[1] == '\0') break;  // half a character at the end
    if (next >= count) return false;
    Item& item = gNitem[next];
    if (!holds_chinese(item) && CharIsHz(reinterpret_cast<const char*>(p))) {
      item.character[0] = p[0];
      item.character[1] = p[1];
      item.flags |= kItemFixed | kItemChinese | kItemGiven;
    }
    if (separator_before && next > 0) {
      gNitem[next - 1].flags |= kItemWordEnd;
      item.flags |= kItemWordStart;
    }
    separator_before = false;
    ++next;
    ++p;
  }
  if (next != count || count == 0) return false;
  gNitem[count - 1].flags |= kItemWordEnd;
  return true;
}

bool is_name_or_term(const char* text) {
  return IsChineseName(text) || IsWestName(text) || IsHzWord(text, 1) || IsDmName(text);
}

void mark_names(int count) {
  const int longest = std::min(effective_max_word() - 1, count - 1);
  for (int span = longest; span >= 1; --span) {
    for (int first = 0; first + span < count; ++first) {
      const int last = first + span;
      char text[2 * kLongestWord + 1];
      if (!span_text(first, last, text, sizeof text) || !is_name_or_term(text)) continue;
      if (name_mark(gNitem[first]) != kNameInside) set_name_mark(gNitem[first], kNameFirst);
      for (int i = first + 1; i < last; ++i) set_name_mark(gNitem[i], kNameInside);
      if (name_mark(gNitem[last]) != kNameInside) set_name_mark(gNitem[last], kNameLast);
    }
  }
}

void learn_abbreviation_runs(int count) {
  int first = 0;
  while (first < count) {
    if (!has(gNitem[first], kItemAbbreviated)) {
      ++first;
      continue;
    }
    int end = first;
    while (end < count && has(gNitem[end], kItemAbbreviated)) ++end;
    const int length = end - first;
    bool changed = false;
    for (int i = first; i < end; ++i) changed = changed || has(gNitem[i], kItemUserChanged);
    char word[2 * kAbbreviationMax + 1];
    if (length >= kAbbreviationMin && length <= kAbbreviationMax && changed &&
        starts_clear_of_names(gNitem[first]) && ends_clear_of_names(gNitem[end - 1]) &&
        span_text(first, end - 1, word, sizeof word)) {
      char initials[kAbbreviationMax + 1] = {};
      for (int i = first; i < end; ++i) initials[i - first] = initial_of(gNitem[i]);
      learn(initials, word, 1);
    }
    first = end;
  }
}

void learn_sentence_abbreviation(int count) {
  int last = count - 1;
  if (last >= 0 && !has(gNitem[last], kItemPinyin)) --last;
  const int length = last + 1;
  if (length < kAbbreviationMin || length > kAbbreviationMax) return;
  bool all_abbreviated = true;
  for (int i = 0; i <= last; ++i) {
    if (!has(gNitem[i], kItemPinyin)) return;
    all_abbreviated = all_abbreviated && has(gNitem[i], kItemAbbreviated);
  }
  char word[2 * kAbbreviationMax + 1];
  if (all_abbreviated || !span_text(0, last, word, sizeof word)) return;
  char initials[kAbbreviationMax + 1] = {};
  for (int i = 0; i <= last; ++i) initials[i] = initial_of(gNitem[i]);
  learn(initials, word, 1);
}

bool is_full_syllable(const Item& item) {
  return has(item, kItemPinyin) && !has(item, kItemAbbreviated) && holds_chinese(item);
}

void learn_joined(int first, int last) {
  char pinyin[kEntryRoom] = {};
  char word[2 * kLongestWord + 1];
  if (!span_text(first, last, word, sizeof word)) return;
  std::size_t at = 0;
  for (int i = first; i <= last; ++i) {
    if (i > first) pinyin[at++] = '-';
    const std::size_t length = strnlen(gNitem[i].letters, kSyllableLetters);
    std::memcpy(pinyin + at, gNitem[i].letters, length);
    at += length;
  }
  learn(pinyin, word, 0);
}

void learn_words(int count) {
  for (int length = kWordMax; length >= kWordMin; --length) {
    for (int first = 0; first + length <= count; ++first) {
      const int last = first + length - 1;
      bool usable = has(gNitem[first], kItemWordStart) && has(gNitem[last], kItemWordEnd) &&
                    starts_clear_of_names(gNitem[first]) && ends_clear_of_names(gNitem[last]);
      bool changed = false;
      for (int i = first; i <= last && usable; ++i) {
        usable = is_full_syllable(gNitem[i]);
        changed = changed || has(gNitem[i], kItemUserChanged);
      }
      if (usable && changed) learn_joined(first, last);
    }
  }
}

void learn_leading_run(int count) {
  const int max_word = effective_max_word();
  int length = 0;
  while (length < count && length < max_word && is_full_syllable(gNitem[length])) ++length;
  if (length >= 2 && length <= max_word - 1) learn_joined(0, length - 1);
}

}  // namespace

int LearnText(const char* pinyin, const char* text, int mode) {
  if (pinyin == nullptr || text == nullptr) return 0;
  const int count = build_items(pinyin);
  if (!place_text(text, count)) return 0;
  mark_names(count);
  learn_abbreviation_runs(count);
  learn_sentence_abbreviation(count);
  learn_words(count);
  if (mode == 1) learn_leading_run(count);
  return 1;
}

}  // namespace sentence
