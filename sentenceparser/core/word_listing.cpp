#include "sentenceparser/core/word_listing.h"

#include <algorithm>
#include <cstring>

namespace sentence {

char trans_weight(int weight) {
  if (weight > 96) return 'z';
  return static_cast<char>('a' + (std::max(weight, 0) + 3) / 4);
}

int write_listing(std::vector<ListedWord> words, char* out) {
  if (out == nullptr) return 0;
  out[0] = '\0';
  std::stable_sort(words.begin(), words.end(),
                   [](const ListedWord& a, const ListedWord& b) { return a.weight > b.weight; });
  std::size_t length = 0;
  int written = 0;
  for (const ListedWord& word : words) {
    const std::size_t size = strnlen(word.text, sizeof word.text);
    if (size == 0) continue;
    if (length + size + 1 >= static_cast<std::size_t>(kListingSize)) break;
    std::memcpy(out + length, word.text, size);
    length += size;
    out[length++] = trans_weight(word.weight);
    out[length] = '\0';
    ++written;
  }
  return written;
}

}  // namespace sentence
