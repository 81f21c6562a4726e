// Checking a version-10 key index before CMPH loads it. CMPH's loader trusts the sizes it
// reads (an algorithm name without end overruns a stack buffer, a vertex count becomes an
// allocation, a zero key count a division), so the dump is checked byte for byte first.
//
// CMPH dumps a CHM hash in the machine's byte order as: "chm\0"; u32 key count; u32 number of
// hash functions (2); per function u32 state size (12) and the state "jenkins\0" + u32 seed;
// u32 vertex count n; u32 key count m; n u32 vertex values.
#include <cstring>
#include <string_view>

#include "dict/cmphplug_detail.h"

namespace {

constexpr std::string_view kAlgorithm{"chm\0", 4};
constexpr std::string_view kHashState{"jenkins\0", 8};
constexpr std::uint32_t kHashFunctions = 2;
constexpr std::uint32_t kHashStateBytes = 12;

class Reader {
 public:
  Reader(const unsigned char* bytes, std::size_t size) : bytes_(bytes), size_(size) {}
  bool text(std::string_view expected) {
    if (size_ - at_ < expected.size() || std::memcmp(bytes_ + at_, expected.data(), expected.size()) != 0) {
      return false;
    }
    at_ += expected.size();
    return true;
  }
  bool u32(std::uint32_t* value) {
    if (size_ - at_ < 4) return false;
    std::memcpy(value, bytes_ + at_, 4);
    at_ += 4;
    return true;
  }
  std::size_t left() const { return size_ - at_; }

 private:
  const unsigned char* bytes_;
  std::size_t size_;
  std::size_t at_ = 0;
};

}  // namespace

bool ime_plug_chm_index_valid(const unsigned char* bytes, std::size_t size, std::uint32_t keys,
                              std::string* why) {
  if (bytes == nullptr || keys == 0) {
    if (why != nullptr) *why = "an empty index";
    return false;
  }
  Reader reader(bytes, size);
  std::uint32_t value = 0;
  auto fail = [why](const char* reason) {
    if (why != nullptr) *why = reason;
    return false;
  };
  if (!reader.text(kAlgorithm)) return fail("not a CHM index");
  if (!reader.u32(&value) || value != keys) return fail("key count differs from the data file");
  if (!reader.u32(&value) || value != kHashFunctions) return fail("unexpected hash functions");
  for (std::uint32_t i = 0; i < kHashFunctions; ++i) {
    if (!reader.u32(&value) || value != kHashStateBytes || !reader.text(kHashState) ||
        !reader.u32(&value)) {
      return fail("unexpected hash function state");
    }
  }
  std::uint32_t vertices = 0;
  if (!reader.u32(&vertices) || vertices == 0) return fail("no vertices");
  if (!reader.u32(&value) || value != keys) return fail("key count differs from the data file");
  if (reader.left() != std::size_t{vertices} * 4) return fail("vertex table size");
  return true;
}
