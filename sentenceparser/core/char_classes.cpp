#include "sentenceparser/core/char_classes.h"

#include <cstring>

#include "sentenceparser/core/sp_chars.h"

namespace sentence {

// ",，,:.。,！!？?：:·;；,…,¨,─,│-" then ASCII digits and letters.
const char DotChr[] =
    ",\xA3\xAC,:.\xA1\xA3,\xA3\xA1!\xA3\xBF?\xA3\xBA:\xA1\xA4;\xA3\xBB,\xA1\xAD,\xA1\xA7,\xA9\xA4,"
    "\xA9\xA6-0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

namespace {

constexpr unsigned char kBlank = 32;

inline bool high(unsigned char b) { return (b & 0x80) != 0; }

// Two-byte characters with a class each, by table position.
struct MarkClasses {
  int first_class;
  const char* characters;  // GBK, back to back
};

constexpr MarkClasses kMarkTables[] = {
    // ‘ “ 〔 〈 《 「 『 〖 【 （ ［ ｛
    {24, "\xA1\xAE\xA1\xB0\xA1\xB2\xA1\xB4\xA1\xB6\xA1\xB8\xA1\xBA\xA1\xBC\xA1\xBE\xA3\xA8\xA3\xDB"
         "\xA3\xFB"},
    // ’ ” 〕 〉 》 」 』 〗 】 ） ］ ｝
    {36, "\xA1\xAF\xA1\xB1\xA1\xB3\xA1\xB5\xA1\xB7\xA1\xB9\xA1\xBB\xA1\xBD\xA1\xBF\xA3\xA9\xA3\xDD"
         "\xA3\xFD"},
    // …
    {48, "\xA1\xAD"},
    // 　 ！ ， 。 ： ； ？ 、
    {49, "\xA1\xA1\xA3\xA1\xA3\xAC\xA1\xA3\xA3\xBA\xA3\xBB\xA3\xBF\xA1\xA2"},
};

int mark_class(const char* character) {
  for (const auto& table : kMarkTables) {
    const char* c = table.characters;
    for (int k = 0; c[0] != '\0'; c += 2, ++k) {
      if (c[0] == character[0] && c[1] == character[1]) return table.first_class + k;
    }
  }
  return 0;
}

int single_byte_class(unsigned char b) {
  if (IsDigit(b) || IsWestChar(b) || b == '-' || b == '.' || b == '%') return kClassWestern;
  switch (b) {
    case '(': return 4;
    case '[': return 5;
    case '{': return 6;
    case ')': return 7;
    case ']': return 8;
    case '}': return 9;
    case kBlank: return kClassBlank;
    case ',': return 12;
    case '!': return 13;
    case ':': return 14;
    case ';': return 15;
    case '?': return 16;
    case 127: return kClassBreak;
    case '\'': return 19;
    default: break;
  }
  if (b == 0) return 21;
  return std::strchr(DotChr, b) != nullptr ? 20 : 21;
}

int double_byte_class(const char* character) {
  if (ComputeGbNo(character) >= 0) return kClassHanzi;
  const auto lead = static_cast<unsigned char>(character[0]);
  const auto trail = static_cast<unsigned char>(character[1]);
  if (lead == 0xA3 && trail >= 0xB0 && trail <= 0xB9) return kClassWideDigit;
  if (IsQJEN(character)) return kClassWideLetter;
  if (const int type = mark_class(character); type != 0) return type;
  const char text[3] = {character[0], character[1], '\0'};
  return std::strstr(DotChr, text) != nullptr ? 57 : kClassOther;
}

}  // namespace

int CharToDbch(const char* text, Dbch* items) {
  if (items == nullptr) return 0;
  int count = 0;
  if (text != nullptr) {
    const std::size_t length = strnlen(text, kClipTextMax);
    for (std::size_t i = 0; i < length;) {
      const auto b = static_cast<unsigned char>(text[i]);
      if (high(b) && i + 1 < length && high(static_cast<unsigned char>(text[i + 1]))) {
        items[count++] = make_dbch(b, static_cast<unsigned char>(text[i + 1]));
        i += 2;
      } else {
        items[count++] = make_dbch(0, b <= kBlank ? kBlank : b);
        i += 1;
      }
    }
  }
  items[count] = 0;
  return count;
}

int TypeOfDbch(Dbch item) {
  if (dbch_first(item) == 0) return single_byte_class(dbch_second(item));
  const char character[2] = {static_cast<char>(dbch_first(item)),
                             static_cast<char>(dbch_second(item))};
  return double_byte_class(character);
}

bool IsRunClass(int type) {
  return type == kClassWestern || type == kClassBlank || type == kClassWideDigit ||
         type == kClassWideLetter || type == kClassWideSpace;
}

int DbchText(Dbch item, char* out) {
  if (dbch_first(item) == 0) {
    out[0] = static_cast<char>(dbch_second(item));
    out[1] = '\0';
    return 1;
  }
  out[0] = static_cast<char>(dbch_first(item));
  out[1] = static_cast<char>(dbch_second(item));
  out[2] = '\0';
  return 2;
}

}  // namespace sentence
