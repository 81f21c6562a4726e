#include "platform/plist_nul_check.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace platform::plist {
namespace {

constexpr std::string_view kBinaryMagic = "bplist00";
constexpr std::size_t kTrailerSize = 32;

// A big-endian unsigned number of 1 to 8 bytes at `offset`; nullopt when it is not all there.
std::optional<std::uint64_t> read_big_endian(std::string_view bytes, std::uint64_t offset,
                                             std::size_t width) {
  if (width == 0 || width > 8 || offset > bytes.size() || width > bytes.size() - offset) {
    return std::nullopt;
  }
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < width; ++i) {
    value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
  }
  return value;
}

// Whether the object at `offset` of `objects` is an ASCII (marker 0x5N) or UTF-16 (0x6N)
// string with a zero character. N is the length, or 15 for "an integer object follows with
// it". A length the check cannot read is taken as "up to the end", so doubt means refusal.
bool string_object_holds_nul(std::string_view objects, std::uint64_t offset) {
  auto marker = read_big_endian(objects, offset, 1);
  if (!marker) return false;
  std::size_t unit = (*marker >> 4) == 0x5 ? 1 : (*marker >> 4) == 0x6 ? 2 : 0;
  if (unit == 0) return false;
  std::uint64_t count = *marker & 0xF;
  std::uint64_t start = offset + 1;
  if (count == 0xF) {
    auto length_marker = read_big_endian(objects, start, 1);
    std::size_t width = length_marker ? std::size_t{1} << (*length_marker & 0xF) : 0;
    auto length = read_big_endian(objects, start + 1, width);
    count = length ? *length : objects.size();
    start += 1 + width;
  }
  for (std::uint64_t i = 0; i < count && start + unit <= objects.size(); ++i, start += unit) {
    if (objects.substr(start, unit).find_first_not_of('\0') == std::string_view::npos) {
      return true;
    }
  }
  return false;
}

bool binary_may_hold_nul(std::string_view bytes) {
  if (bytes.size() < kBinaryMagic.size() + kTrailerSize) return true;
  std::size_t trailer = bytes.size() - kTrailerSize;
  std::size_t offset_size = static_cast<unsigned char>(bytes[trailer + 6]);
  std::uint64_t object_count = *read_big_endian(bytes, trailer + 8, 8);
  std::uint64_t table = *read_big_endian(bytes, trailer + 24, 8);
  if (offset_size == 0 || offset_size > 8 || table > trailer ||
      object_count > (trailer - table) / offset_size) {
    return true;  // libplist cannot read it either
  }
  // Objects live between the header and the offset table; every listed one is looked at,
  // whether the tree reaches it or not.
  std::string_view objects = bytes.substr(0, table);
  for (std::uint64_t i = 0; i < object_count; ++i) {
    auto offset = read_big_endian(bytes, table + i * offset_size, offset_size);
    if (offset && string_object_holds_nul(objects, *offset)) return true;
  }
  return false;
}

}  // namespace

bool may_hold_nul_in_string(std::string_view bytes) {
  if (bytes.starts_with(kBinaryMagic)) return binary_may_hold_nul(bytes);
  return bytes.find('\0') != std::string_view::npos;
}

}  // namespace platform::plist
