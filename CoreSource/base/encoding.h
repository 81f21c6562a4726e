// Conversions between the engine's three text encodings: big-endian UTF-16 (records of the
// older tables), GB18030 (the sentence service and older tables) and UTF-8.
//
// Every input is at most IME_CONVERT_MAX_INPUT bytes; longer ones are refused. A result that
// does not fit the buffer fails as a whole (NULL, size 0) rather than being cut. Results are
// zero-terminated wherever a byte is left for it; the functions documented as zero-terminating
// require that byte.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::size_t IME_CONVERT_MAX_INPUT = 512;

// UTF-16BE -> GB18030 in a static 512-byte buffer (overwritten by the next call); zero-terminated.
char* ime_convert_to_gb(const char* utf16be, int length);
// UTF-16BE -> GB18030 into `out`; `size` in: capacity, out: bytes written (0 on failure).
char* ime_convert_to_gb_2(const char* utf16be, int length, char* out, std::uint16_t* size);
// UTF-8 -> GB18030 into `out`; `size` as above.
char* ime_convert_to_gb_3(const char* utf8, int length, char* out, std::uint16_t* size);
// UTF-16BE -> UTF-8 in a static 512-byte buffer (overwritten by the next call); zero-terminated.
char* ime_convert_to_utf8(const char* utf16be, int length);
// UTF-16BE -> UTF-8 into `out`; `size` as above.
char* ime_convert_to_utf8_2(const char* utf16be, int length, char* out, std::uint16_t* size);
// GB18030 -> UTF-8 into `out`, zero-terminated (the zero must fit); `size` as above.
char* ime_convert_to_utf8_3(const char* gb18030, int length, char* out, std::uint32_t* size);
