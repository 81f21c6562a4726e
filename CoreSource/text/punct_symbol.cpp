// Punctuation typed outside a composition: full-width forms, or the punct.def mapping with
// quotes and brackets paired.
#include <algorithm>
#include <string>
#include <string_view>

#include "platform/text.h"
#include "record/bracket.h"
#include "text/punct.h"

namespace {

constexpr int kFirstFullWidthKey = 33;  // "!" -> U+FF01 ... "~" -> U+FF5E
constexpr int kLastFullWidthKey = 126;
constexpr char32_t kFullWidthBase = 0xFF01;

enum : std::uint8_t { kFirstForm = 1, kSecondForm = 2 };

std::string full_width(int key) {
  char32_t code = kFullWidthBase + static_cast<char32_t>(key - kFirstFullWidthKey);
  // Three UTF-8 bytes for every character of U+FF01..U+FF5E.
  return {static_cast<char>(0xE0 | (code >> 12)), static_cast<char>(0x80 | ((code >> 6) & 0x3F)),
          static_cast<char>(0x80 | (code & 0x3F))};
}

// The two forms of a paired entry, each half of its bytes. An entry that cannot be halved into
// whole characters (one form only, or forms of different lengths) gives its whole text twice
// rather than half a character.
struct Forms {
  std::string_view first;
  std::string_view second;
};

Forms forms_of(const ime_punct_t& entry) {
  std::string_view text(entry.text, std::min<std::size_t>(entry.length, IME_PUNCT_TEXT_MAX));
  std::size_t half = text.size() / 2;
  std::string_view first = text.substr(0, half);
  std::string_view second = text.substr(half, half);
  if (text.size() % 2 != 0 || half == 0 || !platform::text::is_valid_utf8(first) ||
      !platform::text::is_valid_utf8(second)) {
    return {text, text};
  }
  return {first, second};
}

bool is_open(const ime_conversation_t* c, std::uint32_t state) { return (c->iflag & state) != 0; }
// A state is opened by its lowest bit and closed by clearing all four.
void open_state(ime_conversation_t* c, std::uint32_t state) { c->iflag |= state & (~state + 1); }
void close_state(ime_conversation_t* c, std::uint32_t state) { c->iflag &= ~state; }

std::string_view quote(ime_conversation_t* c, std::uint32_t state, const Forms& forms) {
  if (is_open(c, state)) {
    close_state(c, state);
    return forms.second;
  }
  open_state(c, state);
  return forms.first;
}

std::string_view mapped(ime_conversation_t* c, int key, const Forms& forms, std::string_view whole) {
  bool traditional = (c->mode & IME_MODE_TRADITIONAL) != 0;
  // Traditional text opens braces with the other form (「」 rather than 『』 and the like).
  std::string_view brace_first = traditional ? forms.second : forms.first;
  std::string_view brace_second = traditional ? forms.first : forms.second;
  switch (key) {
    case '"':
      return quote(c, IME_PAIR_DOUBLE_QUOTE, forms);
    case '\'':
      return quote(c, IME_PAIR_SINGLE_QUOTE, forms);
    case '<':
      if (is_open(c, IME_PAIR_ANGLE)) {
        close_state(c, IME_PAIR_ANGLE);
        bracket_push(c->bracket_angle, kSecondForm);
        return forms.second;
      }
      open_state(c, IME_PAIR_ANGLE);
      bracket_push(c->bracket_angle, kFirstForm);
      return forms.first;
    case '>':
      close_state(c, IME_PAIR_ANGLE);
      return bracket_pop(c->bracket_angle) == kSecondForm ? forms.second : forms.first;
    case '{':
      if (!is_open(c, IME_PAIR_BRACE)) {
        open_state(c, IME_PAIR_BRACE);
        bracket_push(c->bracket_brace, kFirstForm);
        return brace_first;
      }
      close_state(c, IME_PAIR_BRACE);
      bracket_push(c->bracket_brace, kSecondForm);
      return brace_second;
    case '}':
      close_state(c, IME_PAIR_BRACE);
      return bracket_pop(c->bracket_brace) == kSecondForm ? brace_second : brace_first;
    default:
      return whole;
  }
}

}  // namespace

std::optional<std::string> ime_symbol_string(ime_conversation_t* conversation, int key) {
  if (conversation == nullptr || key < 32 || key > 126) return std::nullopt;
  if (conversation->full_width_char) {
    if (key < kFirstFullWidthKey || key > kLastFullWidthKey) return std::nullopt;
    return full_width(key);
  }
  if (!conversation->full_width_punct) return std::nullopt;
  const ime_punct_t& entry = ime_punct[key];
  if (entry.length == 0) return std::nullopt;
  std::string_view whole(entry.text, std::min<std::size_t>(entry.length, IME_PUNCT_TEXT_MAX));
  return std::string(mapped(conversation, key, forms_of(entry), whole));
}
