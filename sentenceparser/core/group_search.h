// Binary search over one group of sorted fixed-size records, the way every library of the
// engine is searched.
#pragma once

namespace sentence {

// `probe(i)` compares the sought key with record i of the group like strcmp; true on a match.
template <typename Probe>
bool search_group(long count, Probe probe) {
  long low = 0;
  long high = count - 1;
  while (low <= high) {
    const long middle = low + (high - low) / 2;
    const int order = probe(middle);
    if (order == 0) return true;
    if (order > 0) {
      low = middle + 1;
    } else {
      high = middle - 1;
    }
  }
  return false;
}

}  // namespace sentence
