// Frequency files: one 32-bit counter per row, mapped shared so that an update is a store.
//
// A counter holds a frequency class in bits 24-30 and a count in bits 0-23; ime_freq_mode
// picks which of the two ranks (0: the class, otherwise the count). Neither ever wraps:
// both saturate at their largest value.
#pragma once

#include <cstdint>

// 0: usage is kept in the class, otherwise in the count (setting FrequencyAdjustStrategy).
extern int ime_freq_mode;
// Ceiling a decreased class falls to when it stood far above it.
extern int ime_hzfreq_val;

inline constexpr std::uint32_t QAFREQ_CLASS_MAX = 0x7F;
inline constexpr std::uint32_t QAFREQ_COUNT_MAX = 0xFFFFFF;

struct QAFreq {
  std::uint32_t* address;
  int fd;
  std::int64_t length;  // bytes mapped
  int rows;
  char path[512];  // the file mapped, followed when another process replaces it
};

// Opens "<data folder>/<name>.freq" (or `name` itself when it begins with "/") holding `rows`
// counters, a counter file (base/counterfile.h). A missing file, one of another size, or any
// file when `recreate` is non-zero is replaced atomically by rows x 4 zero bytes, under the
// counter lock. NULL on failure (logged).
QAFreq* QAFreqOpen(const char* name, int rows, int recreate);
void QAFreqClose(QAFreq* freq);

// Rows outside the file are ignored: get returns 0, the others do nothing. A change first maps
// the file anew when another process has replaced it.
std::uint32_t QAFreqGetValue(const QAFreq* freq, int row);
void QAFreqSetValue(QAFreq* freq, int row, std::uint32_t value);
void QAFreqIncreaseValue(QAFreq* freq, int row);
void QAFreqDecreaseValue(QAFreq* freq, int row);
// Stores `value` as it is, for the markers that are no ranking (a deleted word).
void QAFreqStoreValue(QAFreq* freq, int row, std::uint32_t value);

// The counter rules on their own, for callers that keep counters elsewhere.
std::uint32_t ime_freq_increased(std::uint32_t value, int mode);
std::uint32_t ime_freq_decreased(std::uint32_t value, int mode, int hzfreq_val);
std::uint32_t ime_freq_set(std::uint32_t value, std::uint32_t ranking, int mode);
