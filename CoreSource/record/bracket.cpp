#include "record/bracket.h"

#include <cstdlib>
#include <cstring>
#include <new>


int bracket_init(ime_bracket_t* stack) {
  if (stack == nullptr) return -1;
  stack->count = 0;
  stack->buffer = static_cast<std::uint8_t*>(std::calloc(IME_BRACKET_STEP, 1));
  stack->capacity = stack->buffer != nullptr ? IME_BRACKET_STEP : 0;
  return stack->buffer != nullptr ? 0 : -1;
}

int bracket_push(ime_bracket_t* stack, std::uint8_t value) {
  if (stack == nullptr || stack->buffer == nullptr) return -1;
  if (stack->count >= IME_BRACKET_DEPTH) {
    // Full: the oldest opening bracket is the least likely to be closed still.
    std::memmove(stack->buffer, stack->buffer + 1, stack->count - 1);
    --stack->count;
  } else if (stack->count >= stack->capacity) {
    std::uint32_t grown = stack->capacity + IME_BRACKET_STEP;
    auto* buffer = static_cast<std::uint8_t*>(std::calloc(grown, 1));
    if (buffer == nullptr) return -1;
    std::memcpy(buffer, stack->buffer, stack->count);
    std::free(stack->buffer);
    stack->buffer = buffer;
    stack->capacity = grown;
  }
  stack->buffer[stack->count++] = value;
  return static_cast<int>(stack->count);
}

int bracket_pop(ime_bracket_t* stack) {
  if (stack == nullptr || stack->buffer == nullptr || stack->count == 0) return 0;
  return stack->buffer[--stack->count];
}

void bracket_close(std::uint8_t** buffer) {
  if (buffer == nullptr) return;
  std::free(*buffer);
  *buffer = nullptr;
}

int ime_convs_open_brackets(ime_conversation_t* conversation) {
  if (conversation == nullptr) return -1;
  ime_convs_close_brackets(conversation);
  conversation->bracket_angle = new (std::nothrow) ime_bracket_t{};
  conversation->bracket_brace = new (std::nothrow) ime_bracket_t{};
  if (conversation->bracket_angle == nullptr || conversation->bracket_brace == nullptr ||
      bracket_init(conversation->bracket_angle) != 0 ||
      bracket_init(conversation->bracket_brace) != 0) {
    ime_convs_close_brackets(conversation);
    return -1;
  }
  return 0;
}

void ime_convs_close_brackets(ime_conversation_t* conversation) {
  if (conversation == nullptr) return;
  for (ime_bracket_t** stack : {&conversation->bracket_angle, &conversation->bracket_brace}) {
    if (*stack == nullptr) continue;
    bracket_close(&(*stack)->buffer);
    delete *stack;
    *stack = nullptr;
  }
}

void ime_convs_reset_pairing(ime_conversation_t* conversation) {
  if (conversation == nullptr) return;
  conversation->iflag &= ~IME_PAIR_ALL;
  for (ime_bracket_t* stack : {conversation->bracket_angle, conversation->bracket_brace}) {
    if (stack != nullptr) stack->count = 0;
  }
}
