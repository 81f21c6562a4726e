// A group of fixed-size records named by one entry of an index file (6 bytes: the group's first
// record number, 32 bits, and its record count, 16 bits, little-endian), searched by bisection.
// Shared by the correction and English word lookups.
#pragma once

#include <cstdint>

#include "sentenceparser/core/sp_file.h"

namespace sentence {

// Longest record of any correction file (the pre-split file).
inline constexpr int kCorrectionRecordMax = 41;

enum class CorrectionFolder {
  kDataPath,  // under the word-library folder of the settings record
  kResource,  // wherever the engine's resource lookup finds it
};

struct CorrectionGroup {
  SpFile* records = nullptr;
  std::int64_t first = 0;  // record number of the group's first record
  int count = 0;
  int width = 0;
};

// Reads index entry `number` and opens the records file. False (nothing left open) when a file
// is missing, the entry lies outside the index, the count is 0, or the group would reach past
// the end of the records file.
bool OpenCorrectionGroup(const char* index_name, const char* records_name,
                         CorrectionFolder folder, std::int64_t number, int width,
                         CorrectionGroup* group);
void CloseCorrectionGroup(CorrectionGroup* group);

// Record k of the group into `record` (kCorrectionRecordMax + 1 bytes), NUL-terminated after
// its width. False outside the group.
bool ReadCorrectionRecord(const CorrectionGroup& group, int k, char* record);

// A probe answers for record k like strcmp of the sought key with it.
inline constexpr int kProbeUnreadable = -0x7fffffff - 1;

// Bisection over the group: `probe(k)` gives the order of the sought key against record k.
// The number of the equal record, or -1 (also when a probe cannot read its record).
template <typename Probe>
int SearchCorrectionGroup(const CorrectionGroup& group, Probe probe) {
  int low = 0;
  int high = group.count - 1;
  while (low <= high) {
    const int middle = low + (high - low) / 2;
    const int order = probe(middle);
    if (order == kProbeUnreadable) return -1;
    if (order == 0) return middle;
    if (order > 0) {
      low = middle + 1;
    } else {
      high = middle - 1;
    }
  }
  return -1;
}

// Base-26 number of the first `count` bytes ('a' = 0, upper case as lower case); -1 unless
// they are all letters.
std::int64_t LeadingLettersNumber(const char* text, int count);

}  // namespace sentence
