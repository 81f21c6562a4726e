// Text for the older table code that wants bytes in a given encoding at any price: characters
// the encoding cannot hold become "?" instead of failing the whole text.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/text.h"

// `utf8` in `encoding` into `buffer` (`size` bytes, NUL-terminated; the text is cut before a
// character that does not fit whole), each character that `encoding` cannot hold (or byte that
// is not UTF-8) written as "?". The byte count written without the NUL; 0 when nothing
// converts or there is no room.
int ime_get_string(std::string_view utf8, platform::text::Encoding encoding, char* buffer,
                   std::size_t size);
