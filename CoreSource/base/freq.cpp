#include "base/freq.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "base/counterfile.h"
#include "base/datafolder.h"
#include "base/imelog.h"

int ime_freq_mode = 0;
int ime_hzfreq_val = 9;

namespace {

constexpr std::uint32_t kClassShift = 24;
constexpr std::uint32_t kClassMask = QAFREQ_CLASS_MAX << kClassShift;

std::uint32_t class_of(std::uint32_t v) { return (v >> kClassShift) & QAFREQ_CLASS_MAX; }
std::uint32_t count_of(std::uint32_t v) { return v & QAFREQ_COUNT_MAX; }
std::uint32_t with_class(std::uint32_t v, std::uint32_t c) {
  return (v & ~kClassMask) | ((c & QAFREQ_CLASS_MAX) << kClassShift);
}
std::uint32_t with_count(std::uint32_t v, std::uint32_t n) {
  return (v & ~QAFREQ_COUNT_MAX) | (n & QAFREQ_COUNT_MAX);
}

std::uint32_t* counter(const QAFreq* freq, int row) {
  if (freq == nullptr || freq->address == nullptr || row < 0 || row >= freq->rows) return nullptr;
  if ((static_cast<std::int64_t>(row) + 1) * 4 > freq->length) return nullptr;
  return freq->address + row;
}

// The counter to change, in the file now at the handle's path.
std::uint32_t* counter_to_change(QAFreq* freq, int row) {
  if (freq != nullptr && freq->address != nullptr) {
    void* address = freq->address;
    if (ime_counter_file_follow(freq->path, freq->length, &freq->fd, &address)) {
      freq->address = static_cast<std::uint32_t*>(address);
    }
  }
  return counter(freq, row);
}

}  // namespace

std::uint32_t ime_freq_increased(std::uint32_t v, int mode) {
  if (mode == 0) {
    std::uint32_t c = class_of(v);
    return c < QAFREQ_CLASS_MAX ? with_class(v, c + 1) : v;
  }
  // Bit 31 belongs to neither half and is dropped, as the count-ranked form always did.
  v &= 0x7FFFFFFFu;
  std::uint32_t n = count_of(v);
  return n < QAFREQ_COUNT_MAX ? with_count(v, n + 1) : v;
}

std::uint32_t ime_freq_decreased(std::uint32_t v, int mode, int hzfreq_val) {
  if (mode == 0) {
    std::uint32_t c = class_of(v);
    if (c == 0) return v;
    std::int64_t lowered = static_cast<std::int64_t>(c) - 1;
    if (lowered > static_cast<std::int64_t>(hzfreq_val) + 1) lowered = hzfreq_val;
    if (lowered < 0) lowered = 0;
    return with_class(v, static_cast<std::uint32_t>(lowered));
  }
  std::uint32_t n = count_of(v);
  if (n == 0) return v;
  std::uint32_t lowered = static_cast<std::uint32_t>(static_cast<std::uint64_t>(n) * 7 / 10);
  if (lowered <= 9) lowered = 0;
  return with_count(v, lowered);
}

std::uint32_t ime_freq_set(std::uint32_t v, std::uint32_t ranking, int mode) {
  return mode == 0 ? with_class(v, ranking & QAFREQ_CLASS_MAX)
                   : with_count(v, ranking & QAFREQ_COUNT_MAX);
}

QAFreq* QAFreqOpen(const char* name, int rows, int recreate) {
  if (name == nullptr || name[0] == '\0' || rows <= 0) return nullptr;
  std::string path;
  if (name[0] == '/') {
    path = name;
  } else {
    const char* folder = QAGetAppSupportPath();
    if (folder == nullptr) return nullptr;
    path = std::string(folder) + "/" + name + ".freq";
  }
  auto* freq = static_cast<QAFreq*>(std::calloc(1, sizeof(QAFreq)));
  if (freq == nullptr || path.size() >= sizeof freq->path) {
    std::free(freq);
    return nullptr;
  }
  const std::int64_t bytes = static_cast<std::int64_t>(rows) * 4;
  void* address = nullptr;
  int fd = -1;
  {
    IMECounterLock lock;
    // Each step logs why it failed.
    IMECounterRenewal renewal = recreate != 0 ? IME_COUNTERS_ZERO : IME_COUNTERS_ZERO_MISFIT;
    if (!lock.held() || ime_counter_file_ensure(path.c_str(), bytes, renewal) != 0 ||
        ime_counter_file_map(path.c_str(), bytes, &fd, &address) != 0) {
      std::free(freq);
      return nullptr;
    }
  }
  std::memcpy(freq->path, path.c_str(), path.size() + 1);
  freq->address = static_cast<std::uint32_t*>(address);
  freq->fd = fd;
  freq->length = bytes;
  freq->rows = rows;
  return freq;
}

void QAFreqClose(QAFreq* freq) {
  if (freq == nullptr) return;
  if (freq->address != nullptr) ::munmap(freq->address, static_cast<std::size_t>(freq->length));
  if (freq->fd >= 0) ::close(freq->fd);
  std::free(freq);
}

std::uint32_t QAFreqGetValue(const QAFreq* freq, int row) {
  const std::uint32_t* c = counter(freq, row);
  return c != nullptr ? *c : 0;
}

void QAFreqSetValue(QAFreq* freq, int row, std::uint32_t value) {
  if (std::uint32_t* c = counter_to_change(freq, row)) *c = ime_freq_set(*c, value, ime_freq_mode);
}

void QAFreqIncreaseValue(QAFreq* freq, int row) {
  if (std::uint32_t* c = counter_to_change(freq, row)) *c = ime_freq_increased(*c, ime_freq_mode);
}

void QAFreqDecreaseValue(QAFreq* freq, int row) {
  if (std::uint32_t* c = counter_to_change(freq, row)) {
    *c = ime_freq_decreased(*c, ime_freq_mode, ime_hzfreq_val);
  }
}

void QAFreqStoreValue(QAFreq* freq, int row, std::uint32_t value) {
  if (std::uint32_t* c = counter_to_change(freq, row)) *c = value;
}
