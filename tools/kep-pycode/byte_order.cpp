#include <cstring>

#include "CoreSource/base/imelog.h"
#include "imetools.h"

std::uint32_t ime_swap_bin32(std::uint32_t value) {
  return ime_x86_platform ? __builtin_bswap32(value) : value;
}

std::uint16_t ime_swap_bin16(std::uint16_t value) {
  return ime_x86_platform ? __builtin_bswap16(value) : value;
}

void int32cpy(void* out, std::uint32_t value) {
  value = ime_swap_bin32(value);
  std::memcpy(out, &value, sizeof value);
}

void int16cpy(void* out, std::uint16_t value) {
  value = ime_swap_bin16(value);
  std::memcpy(out, &value, sizeof value);
}

void ime_swap_str(void* buffer, std::size_t length) {
  auto* bytes = static_cast<unsigned char*>(buffer);
  for (std::size_t i = 0; i + 1 < length; i += 2) {
    std::uint16_t unit;
    std::memcpy(&unit, bytes + i, 2);
    unit = ime_swap_bin16(unit);
    std::memcpy(bytes + i, &unit, 2);
  }
}

void ntouni(void* buffer, std::size_t length) { ime_swap_str(buffer, length); }

char* _strcpy(char* destination, const char* source, std::size_t bound) {
  std::size_t i = 0;
  for (; i < bound && source[i] != '\0'; ++i) destination[i] = source[i];
  if (i < bound) destination[i] = '\0';
  return destination;
}
