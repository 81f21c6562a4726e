#include "base/freq.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/datafolder.h"
#include "base/imelog.h"
#include "base/tablefile.h"

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
  const std::int64_t bytes = static_cast<std::int64_t>(rows) * 4;

  struct stat st;
  bool fits = ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == bytes;
  if (recreate != 0 || !fits) {
    IME_DEBUG("create frequency file \"%s.freq\" size=%d.", name, rows);
    if (ime_write_zero_file_atomic(path.c_str(), bytes, 0600) != 0) {
      IME_ERROR("create file \"%s\" failed![%s]", path.c_str(), std::strerror(errno));
      return nullptr;
    }
  }

  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  // Another process may have swapped the file since; map only a file of the expected size.
  if (::fstat(fd, &st) != 0 || st.st_size != bytes) {
    ::close(fd);
    return nullptr;
  }
  void* address = ::mmap(nullptr, static_cast<std::size_t>(bytes), PROT_READ | PROT_WRITE,
                         MAP_SHARED, fd, 0);
  if (address == MAP_FAILED) {
    ::close(fd);
    return nullptr;
  }
  auto* freq = static_cast<QAFreq*>(std::calloc(1, sizeof(QAFreq)));
  if (freq == nullptr) {
    ::munmap(address, static_cast<std::size_t>(bytes));
    ::close(fd);
    return nullptr;
  }
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
  if (std::uint32_t* c = counter(freq, row)) *c = ime_freq_set(*c, value, ime_freq_mode);
}

void QAFreqIncreaseValue(QAFreq* freq, int row) {
  if (std::uint32_t* c = counter(freq, row)) *c = ime_freq_increased(*c, ime_freq_mode);
}

void QAFreqDecreaseValue(QAFreq* freq, int row) {
  if (std::uint32_t* c = counter(freq, row)) {
    *c = ime_freq_decreased(*c, ime_freq_mode, ime_hzfreq_val);
  }
}

void QAFreqStoreValue(QAFreq* freq, int row, std::uint32_t value) {
  if (std::uint32_t* c = counter(freq, row)) *c = value;
}
