#include "sentenceparser/core/span_memo.h"

#include <cstring>

#include "sentenceparser/core/engine_state.h"

namespace sentence {

namespace {

static_assert(kPyRcSize == kMaxItems * kPyRcRecordSize, "one memo record per item");

constexpr int kSpanMin = 2;
constexpr int kSpanMax = 7;

unsigned char* mask_bytes(int item, int mask) {
  return PyRc + item * kPyRcRecordSize + kPyRcTextSize + 4 * mask;
}

std::uint32_t read_mask(int item, int mask) {
  const unsigned char* bytes = mask_bytes(item, mask);
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void write_mask(int item, int mask, std::uint32_t value) {
  unsigned char* bytes = mask_bytes(item, mask);
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

// Position p (1-based) in a span of `length` items: spans of 2 use bits 5-6, of 3 bits 7-9, ...
// of 7 bits 25-31.
int span_bit(int length, int position) {
  return 4 + length * (length - 1) / 2 + (position - 1);
}

}  // namespace

void ClearPyRc() { std::memset(PyRc, 0, sizeof PyRc); }

std::uint32_t PyRcMask(int item, int mask) {
  if (item < 0 || item >= kMaxItems || mask < 0 || mask >= kPyRcMaskCount) return 0;
  return read_mask(item, mask);
}

int IfChkedPyRc(int first, int last, int type) {
  if (type < 0 || type > 2 * kPyRcMaskCount - 1) return 0;
  if (first < 0 || last >= kMaxItems || last < first) return 0;
  const int length = last - first + 1;
  if (length < kSpanMin || length > kSpanMax) return 0;
  const int mask = type / 2;
  const bool testing = type % 2 == 1;
  for (int position = 1; position <= length; ++position) {
    const int item = first + position - 1;
    const std::uint32_t bit = std::uint32_t{1} << span_bit(length, position);
    const std::uint32_t value = read_mask(item, mask);
    if (testing) {
      if ((value & bit) != 0) return 1;
    } else {
      write_mask(item, mask, value | bit);
    }
  }
  return 0;
}

}  // namespace sentence
