// Readings of a text: hanzi back to pinyin through the hanzi information database, choosing
// for each character the reading the user typed at its position.
#pragma once

#include <cstddef>
#include <cstdint>

#include "record/conversation.h"

// For each character of the GB18030 `text` (`length` bytes): its reading equal to the
// conversation's syllable at that position (counted from the first unchosen syllable), or
// starting with it when that syllable is an initial alone, else its most used reading. The
// readings go to `pinyin` joined by "-" (NUL-terminated, `pinyin_size` bytes), each
// character's tone bit (1, 2, 4, 8 for tones 1-4; none for the neutral tone) to `tones`
// (`tone_count` bytes, one per character). The number of characters; -1 when the database is
// not open, a character has no record, the text is not GB18030, or a buffer is too small.
int ime_fill_py(const ime_conversation_t* conversation, const char* text, std::size_t length,
                char* pinyin, std::size_t pinyin_size, std::uint8_t* tones, std::size_t tone_count);
