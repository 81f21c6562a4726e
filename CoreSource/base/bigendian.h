// Big-endian numbers in the engine's stored formats, read and written byte by byte so that
// neither the host's byte order nor the alignment of a mapped file matters.
#pragma once

#include <cstdint>

inline std::uint32_t ime_read_be32(const unsigned char* bytes) {
  return (static_cast<std::uint32_t>(bytes[0]) << 24) | (static_cast<std::uint32_t>(bytes[1]) << 16) |
         (static_cast<std::uint32_t>(bytes[2]) << 8) | static_cast<std::uint32_t>(bytes[3]);
}

inline void ime_write_be32(unsigned char* bytes, std::uint32_t value) {
  bytes[0] = static_cast<unsigned char>(value >> 24);
  bytes[1] = static_cast<unsigned char>(value >> 16);
  bytes[2] = static_cast<unsigned char>(value >> 8);
  bytes[3] = static_cast<unsigned char>(value);
}
