// CRC-32 (the IEEE polynomial), used to tie a data file to its companion index so that a
// damaged or mismatched pair is refused before either is parsed.
#pragma once

#include <cstddef>
#include <cstdint>

std::uint32_t ime_crc32(const void* data, std::size_t length, std::uint32_t crc = 0);
