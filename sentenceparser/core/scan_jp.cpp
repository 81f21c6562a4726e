// The abbreviated-pinyin pass: runs of initials (and digits) become the heaviest abbreviation
// word found for any of them, one word at a time.
#include <algorithm>
#include <cstring>

#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/segmentation.h"
#include "sentenceparser/core/word_library.h"

namespace sentence {
namespace {

constexpr int kCandidateCapacity = 767;
constexpr int kKeySize = 16;
// A run's pattern and word must fit the word-text buffer.
constexpr int kLongestRun = kWordTextSize / 2 - 1;

struct JpCandidate {
  int first;
  int last;
  int weight;
};

bool qualifies(int first, int last) {
  bool all_fixed = true;
  for (int i = first; i <= last; ++i) {
    const Item& item = NCM[i];
    if ((item.flags & kItemAbbreviated) == 0 && (item.flags2 & kItemDigit) == 0) return false;
    if ((item.flags & kItemFixed) == 0) all_fixed = false;
  }
  return !all_fixed;
}

int look_up(int first, int last, char* text, int* weight) {
  char key[kKeySize];
  const int n = TakeChkJp(first, last, key);
  if (n != last - first + 1 || TakePattern(first, last, text) != 1) return 0;
  if (Lookups.jp_word == nullptr || Lookups.jp_word(key, n, text, weight) == 0) return 0;
  text[kWordTextSize - 1] = '\0';
  return std::strlen(text) >= static_cast<std::size_t>(2 * n) ? 1 : 0;
}

}  // namespace

int TakeChkJp(int first, int last, char* key) {
  std::memset(key, 0, kKeySize);
  const int count = CurrentItem < kMaxItems ? CurrentItem : kMaxItems;
  if (first < 0 || last < first || last >= count || last - first + 1 >= kKeySize) return 0;
  for (int i = first; i <= last; ++i) {
    const Item& item = NCM[i];
    char initial = (item.flags2 & kItemDigit) != 0 ? 'I' : item.letters[0];
    if (initial >= 'a' && initial <= 'z') initial = static_cast<char>(initial - 'a' + 'A');
    if (initial < 'A' || initial > 'Z') {
      std::memset(key, 0, kKeySize);
      return 0;
    }
    key[i - first] = initial;
  }
  return last - first + 1;
}

void ScanJp(int shortest, int longest) {
  const int count = CurrentItem < kMaxItems ? CurrentItem : kMaxItems;
  shortest = std::max(shortest, 1);
  longest = std::min({longest, count, kLongestRun});
  static JpCandidate candidates[kCandidateCapacity];
  // Every round that goes on fixes at least one item.
  for (int round = 0; round <= count; ++round) {
    int found = 0;
    for (int length = longest; length >= shortest; --length) {
      for (int first = 0; first + length <= count; ++first) {
        const int last = first + length - 1;
        if (!qualifies(first, last)) continue;
        char text[kWordTextSize];
        int weight = 0;
        if (look_up(first, last, text, &weight) != 1) continue;
        if (found == kCandidateCapacity) return;
        candidates[found++] = {first, last, weight};
      }
    }
    if (found == 0) return;
    const JpCandidate* best = &candidates[0];
    for (int c = 1; c < found; ++c) {
      if (candidates[c].weight > best->weight) best = &candidates[c];
    }
    if (!qualifies(best->first, best->last)) return;
    char text[kWordTextSize];
    int weight = 0;
    if (look_up(best->first, best->last, text, &weight) != 1) return;
    for (int i = best->first; i <= best->last; ++i) {
      Item& item = NCM[i];
      if ((item.flags & kItemFixed) != 0) continue;
      const int offset = 2 * (i - best->first);
      item.character[0] = static_cast<unsigned char>(text[offset]);
      item.character[1] = static_cast<unsigned char>(text[offset + 1]);
      item.flags |= kItemFixed | kItemChinese;
    }
    if (found <= 1) return;
  }
}

}  // namespace sentence
