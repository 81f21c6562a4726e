// The punctuation map punct.def: what a punctuation key produces in full-width punctuation mode.
//
// punct.def is UTF-8 text, one mapping a line: the key (one ASCII byte), a separator byte, the
// value (at most 31 bytes). Lines of 3 bytes or less (line feed included) are ignored; one
// line feed is removed; a later line for a key replaces the earlier one. Paired keys hold two
// forms of equal byte length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "record/conversation.h"

inline constexpr std::size_t IME_PUNCT_KEYS = 128;
inline constexpr std::size_t IME_PUNCT_TEXT_MAX = 31;
inline constexpr std::size_t IME_PUNCT_LINE_MAX = 127;

struct ime_punct_t {
  std::uint16_t length;  // 0: the key has no mapping
  char text[IME_PUNCT_TEXT_MAX + 1];
};

extern ime_punct_t ime_punct[IME_PUNCT_KEYS];

// Loads "punct.def" when its path or modification time changed since the last load.
// 0, or -1 when the file is missing or cannot be opened.
int ime_load_punct();
// Forgets what was loaded, so the next load reads the file again.
void ime_forget_punct();

// Fills `table` from the text of a punct.def (the parsing of ime_load_punct); lines with a
// key of 128 or more, or a value longer than 31 bytes, are refused and counted in the result.
int ime_parse_punct(const std::string& text, ime_punct_t (&table)[IME_PUNCT_KEYS]);

// What a printable key typed outside a composition produces: in full-width character mode the
// full-width form of keys 33-126; in punctuation-map mode the key's punct.def text, quotes and
// brackets alternating between the two halves of their entry so they come out paired. nullopt
// when the key is not printable, has no mapping, or neither mode is on.
std::optional<std::string> ime_symbol_string(ime_conversation_t* conversation, int key);
