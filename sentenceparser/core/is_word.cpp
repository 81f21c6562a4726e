// The word test of the segmentation passes, the word writer and the copies of the item table.
#include <cstring>

#include "sentenceparser/core/certainty.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/segmentation.h"
#include "sentenceparser/core/segmentation_driver.h"
#include "sentenceparser/core/sp_chars.h"
#include "sentenceparser/core/word_library.h"
#include "sentenceparser/core/word_lookup.h"

namespace sentence {
namespace {

constexpr int kKeySize = 16;

int item_count() { return CurrentItem < 0 ? 0 : (CurrentItem < kMaxItems ? CurrentItem : kMaxItems); }

bool is_digit_item(const Item& item) { return (item.flags2 & kItemDigit) != 0; }

bool holds_chinese(const Item& item) {
  const char unit[3] = {static_cast<char>(item.character[0]), static_cast<char>(item.character[1]),
                        '\0'};
  return (item.flags & kItemFixed) != 0 && ComputeGbNo(unit) >= 0;
}

Item* table(int which) {
  switch (which) {
    case 0: return NCM;
    case 1: return NCM1;
    case 2: return NCM2;
    default: return nullptr;
  }
}

// The head-and-end answer stands unless the main library has a heavier word.
int lookup_parts(int first, int last, const char* key, const char* pattern, char* text,
                 int* weight, unsigned char* division) {
  const int n = last - first + 1;
  char head_text[kWordTextSize];
  std::memcpy(head_text, pattern, kWordTextSize);
  int head_weight = 0;
  unsigned char head_division = 0;
  const bool head = Lookups.head_end_word != nullptr &&
                    Lookups.head_end_word(first, last, key, n, head_text, &head_weight,
                                          &head_division) != 0;
  char main_text[kWordTextSize];
  std::memcpy(main_text, pattern, kWordTextSize);
  int main_weight = 0;
  unsigned char main_division = 0;
  const bool main = Lookups.my_word != nullptr &&
                    Lookups.my_word(first, last, key, n, main_text, &main_weight, &main_division,
                                    0) != 0;
  if (head && (!main || head_weight >= main_weight)) {
    std::memcpy(text, head_text, kWordTextSize);
    *weight = head_weight;
    *division = head_division;
  } else if (main) {
    std::memcpy(text, main_text, kWordTextSize);
    *weight = main_weight;
    *division = main_division;
  } else {
    return 0;
  }
  text[kWordTextSize - 1] = '\0';
  return 1;
}

}  // namespace

WordLookups LibraryLookups() {
  return {IsMyWord, IsWholeWord, IsHeadEndWord, IsJpWord, IsDotWord, IsDotJPWord, GetDanPl};
}

// Constant-initialized, so no start-up code can see it unset.
WordLookups Lookups = {IsMyWord, IsWholeWord, IsHeadEndWord, IsJpWord,
                       IsDotWord, IsDotJPWord, GetDanPl};

int SearchableItems() {
  const int count = item_count();
  if (count == 0) return 0;
  const Item& last = NCM[count - 1];
  return ((last.flags & kItemGiven) != 0 || is_digit_item(last)) ? count - 1 : count;
}

int TakePattern(int first, int last, char* text) {
  std::memset(text, 0, kWordTextSize);
  if (first < 0 || last < first || last >= item_count() ||
      2 * (last - first + 1) >= kWordTextSize) {
    return 0;
  }
  char* out = text;
  for (int i = first; i <= last; ++i, out += 2) {
    const Item& item = NCM[i];
    if (is_digit_item(item)) {
      std::memcpy(out, "iA", 2);
    } else if (holds_chinese(item)) {
      out[0] = static_cast<char>(item.character[0]);
      out[1] = static_cast<char>(item.character[1]);
    } else {
      std::memcpy(out, "AA", 2);
    }
  }
  return 1;
}

int IsWord(int first, int last, char* text, int* weight, unsigned char* division) {
  const int count = item_count();
  if (first < 0 || last < first || last >= count) return 0;
  bool all_fixed = true;
  for (int i = first; i <= last; ++i) {
    const Item& item = NCM[i];
    if ((item.flags & kItemAbbreviated) != 0) return 0;
    if ((item.flags & kItemPinyin) == 0 && !is_digit_item(item)) return 0;
    if ((item.flags & kItemFixed) != 0) {
      if (i == first && (item.flags & kItemWordStart) == 0) return 0;
      if (i == last && (item.flags & kItemWordEnd) == 0) return 0;
    } else {
      all_fixed = false;
    }
  }
  if (all_fixed) return 0;

  char pattern[kWordTextSize];
  if (TakePattern(first, last, pattern) != 1) return 0;
  char key[kKeySize];
  if (TakeChkp(first, last, key) != 1) return 0;

  const int n = last - first + 1;
  if (first == 0 && last == SearchableItems() - 1 && Lookups.whole_word != nullptr) {
    char whole[kWordTextSize];
    std::memcpy(whole, pattern, kWordTextSize);
    if (Lookups.whole_word(first, last, key, n, whole) != 0 &&
        std::strlen(whole) == static_cast<std::size_t>(2 * n)) {
      std::memcpy(text, whole, kWordTextSize);
      *weight = kWholeWordWeight;
      *division = kNoInnerEnds;
      return 1;
    }
  }
  return lookup_parts(first, last, key, pattern, text, weight, division);
}

void setfen(int first, int last, unsigned char division) {
  if (first < 0 || last < first || last >= item_count()) return;
  for (int i = first; i <= last; ++i) {
    const int distance = i - first;
    const bool ends_here =
        i < last && distance <= 5 && (division & (0x20 >> distance)) != 0;
    if (ends_here) {
      NCM[i].flags |= kItemWordEnd;
      NCM[i + 1].flags |= kItemWordStart;
    } else {
      NCM[i].flags &= static_cast<unsigned char>(~kItemWordEnd);
      if (i < last) NCM[i + 1].flags &= static_cast<unsigned char>(~kItemWordStart);
    }
  }
  NCM[first].flags |= kItemWordStart;
  NCM[last].flags |= kItemWordEnd;
}

void NCMCopy(int from, int to, int index) {
  const bool supported = (from == 0 && (to == 1 || to == 2)) || ((from == 1 || from == 2) && to == 0);
  if (!supported || index < -1 || index >= kMaxItems) return;
  Item* source = table(from);
  Item* target = table(to);
  if (index == -1) {
    std::memcpy(target, source, sizeof(Item) * kMaxItems);
  } else {
    target[index] = source[index];
  }
}

}  // namespace sentence
