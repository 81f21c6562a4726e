#include "sentenceparser/core/context_classes.h"

#include <cstring>

#include "sentenceparser/core/sp_chars.h"

namespace sentence {
namespace {

struct ClassRow {
  char letter;
  const char* members[14];  // GBK texts, ended by nullptr
};

// Searched in this order; the first row holding the text gives the class.
constexpr ClassRow kClassRows[] = {
    {'c', {":", "\xA3\xBA", nullptr}},
    {'d', {",", "\xA3\xAC", nullptr}},
    {'e', {".", "\xA1\xA3", nullptr}},
    {'f', {";", "\xA3\xBB", nullptr}},
    {'g', {"?", "\xA3\xBF", nullptr}},
    {'h', {"!", "\xA3\xA1", nullptr}},
    {'i', {"(", "\xA3\xA8", "\xA1\xB2", "[", "\xA1\xBC", "\xA1\xBE", "<", "\xA3\xBC", "\xA3\xFB",
           "\xA1\xB8", "\xA1\xBA", "\xA3\xDB", "\xA1\xB4", nullptr}},
    {'j', {")", "\xA3\xA9", "\xA1\xB3", "]", "\xA1\xBD", "\xA1\xBF", ">", "\xA3\xBE", "\xA3\xFD",
           "\xA1\xBB", "}", "\xA1\xB9", "\xA3\xDD", "\xA1\xB5"}},
    {'l', {"\xA1\xA2", nullptr}},
    {'m', {"\xA1\xB0", "\xA1\xAE", nullptr}},
    {'p', {"\xA1\xB6", nullptr}},
    {'r', {"\xA1\xB7", nullptr}},
    {'s', {"\xA1\xB1", "\xA1\xAF", nullptr}},
    {'t', {"\xA1\xAD", nullptr}},
    {'q', {"\xA1\xA4", nullptr}},
    {'k', {"/", "\xA3\xAF", "\\", nullptr}},
    {'n', {"%", "\xA3\xA5", "\xA1\xEB", nullptr}},
    {'o', {"\xA1\xAA", "-", "~", nullptr}},
    {'u', {"\xA1\xE6", nullptr}},
    {'v', {"\xA1\xE3", nullptr}},
    {'w', {"\xA1\xC0", nullptr}},
};

bool is_digit_text(const char* text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  const auto trail = static_cast<unsigned char>(text[1]);
  if (lead >= '0' && lead <= '9' && trail == 0) return true;
  return lead == 0xA3 && trail >= 0xB0 && trail <= 0xB9 && text[2] == '\0';
}

bool is_letter_text(const char* text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  if (text[1] == '\0') return (lead >= 'a' && lead <= 'z') || (lead >= 'A' && lead <= 'Z');
  return text[2] == '\0' && IsQJEN(text);
}

bool is_class_letter(const char* text) {
  return text[0] >= 'a' && text[0] <= 'z' && text[1] == '\0';
}

}  // namespace

void MakeDot(const char* character, char* out) {
  char text[kClassTextSize] = {};
  if (character != nullptr && character[0] != '\0') {
    text[0] = character[0];
    if ((static_cast<unsigned char>(character[0]) & 0x80) != 0) text[1] = character[1];
  }
  out[1] = '\0';
  if (text[0] != '\0' && is_digit_text(text)) {
    out[0] = 'a';
    return;
  }
  if (text[0] != '\0' && is_letter_text(text)) {
    out[0] = 'b';
    return;
  }
  for (const ClassRow& row : kClassRows) {
    for (const char* member : row.members) {
      if (member == nullptr) break;
      if (std::strcmp(member, text) == 0) {
        out[0] = row.letter;
        return;
      }
    }
  }
  std::memcpy(out, text, kClassTextSize);
}

int ContextOfClasses(const char* left, const char* right, char* context) {
  context[0] = '\0';
  if (!is_class_letter(left) || !is_class_letter(right)) return 0;
  context[0] = left[0];
  context[1] = right[0];
  context[2] = '\0';
  return 1;
}

}  // namespace sentence
