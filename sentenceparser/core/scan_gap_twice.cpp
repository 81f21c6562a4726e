// The word segmentation of the unresolved syllables: a maximum-weight search run forward and
// backward over the item table; per region between agreed word boundaries the better of the two
// results stands.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/segmentation.h"
#include "sentenceparser/core/segmentation_driver.h"
#include "sentenceparser/core/word_library.h"

namespace sentence {
namespace {

// A window stops looking once its best word is this heavy.
constexpr int kEarlyStopWeight = 525;
// Words heavier than this make a window a candidate for the retry rule...
constexpr int kHeavyWeight = 90;
// ...which undoes its word when the next window's best is this light or lighter.
constexpr int kLightWeight = 7;
constexpr int kRetryPairs = 15;
// Words never span more syllables than a key describes.
constexpr int kLongestWord = 7;
constexpr int kKeySize = 16;

struct Range {
  int first = -1;
  int last = -1;
  bool matches(int j, int k) const { return first == j && last == k; }
};

struct Candidate {
  Range range;
  int weight = 0;
  unsigned char division = 0;
  char text[kWordTextSize] = {};
};

struct WindowResult {
  bool found = false;
  Candidate best;
  int heavy = 0;       // candidates heavier than kHeavyWeight
  bool whole = false;  // a candidate covered every searchable item
};

// Pairs (window start, covered end) already searched again; at most kRetryPairs.
class RetryList {
 public:
  bool full() const { return size_ == kRetryPairs; }
  bool find(int start, int end) const {
    for (int i = 0; i < size_; ++i) {
      if (pairs_[i][0] == start && pairs_[i][1] == end) return true;
    }
    return false;
  }
  void add(int start, int end) {
    if (full()) return;
    pairs_[size_][0] = start;
    pairs_[size_][1] = end;
    ++size_;
  }

 private:
  int pairs_[kRetryPairs][2] = {};
  int size_ = 0;
};

// Keeps the strictly heaviest candidate; among equal weights the first found stays.
bool consider(int j, int k, WindowResult& result, int searchable) {
  Candidate candidate;
  if (IsWord(j, k, candidate.text, &candidate.weight, &candidate.division) != 1) return false;
  candidate.range = {j, k};
  if (j == 0 && k == searchable - 1) result.whole = true;
  if (candidate.weight > kHeavyWeight) ++result.heavy;
  if (!result.found || candidate.weight > result.best.weight) {
    result.best = candidate;
    result.found = true;
  }
  return true;
}

// Writes a word into the items of its range that are still open and marks its inner ends.
void place(const Candidate& word) {
  const Range& r = word.range;
  for (int i = r.first; i <= r.last; ++i) {
    Item& item = NCM[i];
    if ((item.flags & kItemFixed) == 0) {
      const int offset = 2 * (i - r.first);
      item.character[0] = static_cast<unsigned char>(word.text[offset]);
      item.character[1] = static_cast<unsigned char>(word.text[offset + 1]);
      item.flags |= kItemFixed | kItemChinese;
    }
    if (item.weight < word.weight) item.weight = word.weight;
  }
  NCM[r.first].flags2 |= kItemScanWordFirst;
  NCM[r.last].flags2 |= kItemScanWordLast;
  setfen(r.first, r.last, word.division);
}

// The forward search's last placed word, kept so that the retry rule can take it back.
struct PlacedWindow {
  bool valid = false;
  int start = 0;
  int end_before = 0;
  int heavy = 0;
  Range range;
  Item saved[kLongestWord] = {};
};

void remember(PlacedWindow& window, int start, int end_before, const WindowResult& result) {
  window.valid = true;
  window.start = start;
  window.end_before = end_before;
  window.heavy = result.heavy;
  window.range = result.best.range;
  const int count = window.range.last - window.range.first + 1;
  std::memcpy(window.saved, &NCM[window.range.first], sizeof(Item) * count);
}

void undo(const PlacedWindow& window) {
  const int count = window.range.last - window.range.first + 1;
  std::memcpy(&NCM[window.range.first], window.saved, sizeof(Item) * count);
}

WindowResult search_forward_window(int s, int e, int n, int m, const Range& excluded) {
  WindowResult result;
  for (int j = s; j <= e; ++j) {
    for (int k = std::min(j + m - 1, n - 1); k > e && k >= j + 1; --k) {
      if (excluded.matches(j, k)) continue;
      consider(j, k, result, n);
      if (result.found && result.best.weight > kEarlyStopWeight) return result;
    }
  }
  return result;
}

// 1 when a candidate covered every searchable item (the backward search is then skipped).
bool forward_search(int n, int m) {
  RetryList retries;
  PlacedWindow previous;
  bool whole = false;
  int s = 0;
  int e = 0;
  bool researching = false;
  Range excluded;
  // Every step moves s or e on; a retry steps back at most kRetryPairs times.
  const int step_limit = 4 * (n + kRetryPairs) + 16;
  for (int step = 0; e < n - 1 && step < step_limit; ++step) {
    const WindowResult result = search_forward_window(s, e, n, m, excluded);
    whole = whole || result.whole;
    const bool this_is_research = researching;
    researching = false;
    excluded = {};
    if (!result.found) {
      previous.valid = false;
      ++s;
      e = s;
      continue;
    }
    if (result.best.weight <= kLightWeight && !this_is_research && previous.valid &&
        previous.heavy > 1 && !retries.full() && !retries.find(previous.start, previous.end_before)) {
      retries.add(previous.start, previous.end_before);
      undo(previous);
      s = previous.start;
      e = previous.end_before;
      excluded = previous.range;
      researching = true;
      previous.valid = false;
      continue;
    }
    remember(previous, s, e, result);
    place(result.best);
    const int j = result.best.range.first;
    const int k = result.best.range.last;
    e = k;
    const int b = std::max(s, k - m + 1);
    s = j < b ? b : j + 1;
    if (k < s) s = k;
  }
  return whole;
}

WindowResult search_backward_window(int j, int anchor, int n, int m) {
  WindowResult result;
  for (int k = anchor; k >= j; --k) {
    for (int l = std::max(0, k - m + 1); l <= k - 1 && l < j; ++l) {
      const bool hit = consider(l, k, result, n);
      if (result.found && result.best.weight > kEarlyStopWeight) return result;
      if (hit && l == 0 && k == n - 1) break;
    }
  }
  return result;
}

void backward_search(int n, int m) {
  int j = n - 1;
  int anchor = n - 1;
  while (j > 0) {
    const WindowResult result = search_backward_window(j, anchor, n, m);
    if (!result.found) {
      --j;
      anchor = j;
      continue;
    }
    place(result.best);
    const int l = result.best.range.first;
    const int k = result.best.range.last;
    anchor = std::min({anchor, l + m - 1, k - 1});
    j = l;
    if (anchor < j) anchor = j;
  }
}

bool ends_word_in(const Item* items, int i, int count) {
  if ((items[i].flags & kItemWordEnd) == 0) return false;
  return i == count - 1 || (items[i + 1].flags & kItemWordStart) != 0;
}

void mark_boundaries(int n) {
  const int count = CurrentItem < kMaxItems ? CurrentItem : kMaxItems;
  for (int i = 0; i < count; ++i) {
    const unsigned char self = NCM[i].flags;
    const bool boundary = (self & (kItemGiven | kItemAbbreviated)) != 0 ||
                          (NCM[i].flags2 & kItemDigit) != 0 ||
                          (i < n && ends_word_in(NCM1, i, n) && ends_word_in(NCM2, i, n));
    for (Item* items : {NCM, NCM1, NCM2}) {
      items[i].flags2 &= static_cast<unsigned char>(~kItemAgreedBoundary);
      if (boundary) items[i].flags2 |= kItemAgreedBoundary;
    }
  }
}

struct Tally {
  std::int64_t weight_sum = 0;
  int starts = 0;
  int ends = 0;
  int singles = 0;
  int unfixed = 0;
  int penalty = 100;

  int spread() const { return std::max(starts, ends); }
  std::int64_t score(int length) const {
    const std::int64_t single_part = 100 - static_cast<std::int64_t>(singles) * 55 / length;
    return single_part * (penalty * weight_sum / 100) / 100;
  }
};

Tally tally(const Item* items, int first, int last) {
  const int length = last - first + 1;
  Tally t;
  for (int i = first; i <= last; ++i) {
    const Item& item = items[i];
    t.weight_sum += item.weight;
    if ((item.flags2 & kItemScanWordFirst) != 0) ++t.starts;
    if ((item.flags2 & kItemScanWordLast) != 0) ++t.ends;
    if ((item.flags & kItemFixed) != 0) {
      if ((item.flags & (kItemWordStart | kItemWordEnd)) == (kItemWordStart | kItemWordEnd)) {
        ++t.singles;
      }
      continue;
    }
    ++t.starts;
    ++t.ends;
    ++t.unfixed;
    int single_weight = 0;
    char key[kKeySize];
    // The key is read from NCM, which holds the same letters in every copy.
    if (TakeChkp(i, i, key) == 1 && Lookups.dan_weight != nullptr) {
      Lookups.dan_weight(key, &single_weight);
    }
    if (single_weight <= 50) {
      const int drop = 150 / length;
      t.penalty = drop > 100 ? 0 : 100 - drop;
    } else {
      t.weight_sum += single_weight;
    }
  }
  return t;
}

bool forward_wins(const Tally& forward, const Tally& backward, int length) {
  return backward.score(length) < forward.score(length) &&
         forward.unfixed < backward.unfixed + 2 &&
         !(forward.spread() > 2 && backward.spread() == 1);
}

void choose_per_region(int n) {
  int first = 0;
  while (first < n) {
    int last = first;
    while (last < n - 1 && (NCM[last].flags2 & kItemAgreedBoundary) == 0) ++last;
    const int length = last - first + 1;
    const Item* chosen = forward_wins(tally(NCM1, first, last), tally(NCM2, first, last), length)
                             ? NCM1
                             : NCM2;
    std::memcpy(&NCM[first], &chosen[first], sizeof(Item) * length);
    first = last + 1;
  }
}

}  // namespace

void ScanGapTwice() {
  const int n = SearchableItems();
  if (n < 2) return;
  const int m = std::clamp(MaxWordNum, 2, kLongestWord);
  NCMCopy(0, 2, -1);
  if (forward_search(n, m)) return;
  NCMCopy(0, 1, -1);
  NCMCopy(2, 0, -1);
  backward_search(n, m);
  NCMCopy(0, 2, -1);
  mark_boundaries(n);
  choose_per_region(n);
}

}  // namespace sentence
