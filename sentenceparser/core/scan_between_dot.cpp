// Gaps of one or two syllables between fixed items, looked up among the context words of the
// two items' classes.
#include <cstring>

#include "sentenceparser/core/context_classes.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/segmentation.h"
#include "sentenceparser/core/word_library.h"

namespace sentence {
namespace {

// The item's character as text: one byte for a typed character, two for a GBK one.
void character_text(const Item& item, char* out) {
  std::memset(out, 0, kClassTextSize);
  if ((item.character[0] & 0x80) != 0) {
    out[0] = static_cast<char>(item.character[0]);
    out[1] = static_cast<char>(item.character[1]);
  } else {
    out[0] = static_cast<char>(item.character[0] != 0 ? item.character[0] : item.character[1]);
  }
}

bool gap_is_open(int first, int last) {
  for (int i = first; i <= last; ++i) {
    if ((NCM[i].flags & kItemFixed) != 0) return false;
  }
  return true;
}

void fill_gap(int first, int last, const char* text) {
  if (std::strlen(text) < static_cast<std::size_t>(2 * (last - first + 1))) return;
  for (int i = first; i <= last; ++i) {
    Item& item = NCM[i];
    const int offset = 2 * (i - first);
    item.character[0] = static_cast<unsigned char>(text[offset]);
    item.character[1] = static_cast<unsigned char>(text[offset + 1]);
    item.flags |= kItemFixed | kItemChinese;
  }
  NCM[first].flags2 |= kItemScanWordFirst;
  NCM[last].flags2 |= kItemScanWordLast;
}

void look_up_gap(int first, int last, const char* left, const char* right) {
  char context[kClassTextSize];
  if (ContextOfClasses(left, right, context) != 1) return;
  const int n = last - first + 1;
  char text[kWordTextSize];
  if (TakePattern(first, last, text) != 1) return;
  char pattern[kWordTextSize];
  std::memcpy(pattern, text, kWordTextSize);
  if (Lookups.dot_word != nullptr && Lookups.dot_word(first, last, n, context, text) != 0) {
    text[kWordTextSize - 1] = '\0';
    fill_gap(first, last, text);
    return;
  }
  if (n != 2 || Lookups.dot_jp_word == nullptr) return;
  std::memcpy(text, pattern, kWordTextSize);
  if (Lookups.dot_jp_word(first, last, context, text) != 0) {
    text[kWordTextSize - 1] = '\0';
    fill_gap(first, last, text);
  }
}

}  // namespace

void ScanBetweenDot() {
  const int count = CurrentItem < kMaxItems ? CurrentItem : kMaxItems;
  char left[kClassTextSize] = {kStartClass, '\0', '\0'};
  int previous_fixed = -1;
  for (int i = 0; i < count; ++i) {
    if ((NCM[i].flags & kItemFixed) == 0) continue;
    char character[kClassTextSize];
    character_text(NCM[i], character);
    char right[kClassTextSize];
    MakeDot(character, right);
    const int gap = i - previous_fixed - 1;
    if ((gap == 1 || gap == 2) && gap_is_open(previous_fixed + 1, i - 1)) {
      look_up_gap(previous_fixed + 1, i - 1, left, right);
    }
    std::memcpy(left, right, kClassTextSize);
    previous_fixed = i;
  }
}

}  // namespace sentence
