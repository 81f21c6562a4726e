// The two stacks that pair angle brackets and braces typed outside a composition: each holds
// which form (1 first, 2 second) the opening key produced, so the closing key can answer with
// its partner. They live in the conversation and outlast compositions.
//
// A stack holds at most IME_BRACKET_DEPTH values; pushing onto a full stack forgets the oldest
// value, so an opening key typed over and over costs no memory and the recent pairs still match.
#pragma once

#include <cstdint>

#include "record/conversation.h"

// Pairing state of quotes and brackets, kept in the conversation's `iflag`: a state is set by
// storing its lowest bit and cleared by clearing all four.
inline constexpr std::uint32_t IME_PAIR_DOUBLE_QUOTE = 0x000F0000u;
inline constexpr std::uint32_t IME_PAIR_SINGLE_QUOTE = 0x00F00000u;
inline constexpr std::uint32_t IME_PAIR_ANGLE = 0x0F000000u;
inline constexpr std::uint32_t IME_PAIR_BRACE = 0xF0000000u;
inline constexpr std::uint32_t IME_PAIR_ALL =
    IME_PAIR_DOUBLE_QUOTE | IME_PAIR_SINGLE_QUOTE | IME_PAIR_ANGLE | IME_PAIR_BRACE;

inline constexpr std::uint32_t IME_BRACKET_STEP = 16;
inline constexpr std::uint32_t IME_BRACKET_DEPTH = 256;

struct ime_bracket_t {
  std::uint8_t* buffer;
  std::uint32_t capacity;
  std::uint32_t count;
};

// An empty stack with room for 16 values. 0, or -1 when memory is short (the stack stays
// without a buffer and every push is refused).
int bracket_init(ime_bracket_t* stack);
// Pushes a value, growing the buffer by 16 up to the depth limit. The new count; -1 for a
// stack without a buffer.
int bracket_push(ime_bracket_t* stack, std::uint8_t value);
// The top value, removed; 0 when the stack is empty (or missing).
int bracket_pop(ime_bracket_t* stack);
// Frees the buffer and clears the pointer.
void bracket_close(std::uint8_t** buffer);

// Creates / frees the conversation's two stacks. 0 or -1.
int ime_convs_open_brackets(ime_conversation_t* conversation);
void ime_convs_close_brackets(ime_conversation_t* conversation);
// Forgets every open quote and bracket: the pairing bits of `iflag` and both stacks.
void ime_convs_reset_pairing(ime_conversation_t* conversation);
