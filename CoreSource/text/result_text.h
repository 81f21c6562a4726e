// Writing into the fixed 180-byte text fields of a candidate (hz and thz, UTF-8, NUL-terminated)
// without running past them: whatever does not fit is cut at a character boundary, so a long
// composed sentence shows its beginning and never half a character.
#pragma once

#include <cstdint>
#include <string_view>

#include "record/conversation.h"

// Appends `utf8` to `field`, which holds `*length` bytes (held to the field, so a stale length
// cannot send the write past it). Keeps the NUL, updates `*length`. 0 when all of `utf8` fits,
// 1 when it was cut.
int ime_text_field_append(std::uint8_t (&field)[IME_TEXT_BYTES], std::uint8_t* length,
                          std::string_view utf8);

// Replaces the field's text with `utf8`, cut as above. 0 or 1 as above.
int ime_text_field_set(std::uint8_t (&field)[IME_TEXT_BYTES], std::uint8_t* length,
                       std::string_view utf8);

// The service's GBK sentence as the UTF-8 text of a candidate: converted (read as GB18030,
// which GBK is part of), then cut at a character boundary to what a 180-byte field holds.
// false, the field untouched, when the text does not decode.
bool ime_sentence_text_from_gbk(std::string_view gbk, std::uint8_t (&field)[IME_TEXT_BYTES],
                                std::uint8_t* length);
